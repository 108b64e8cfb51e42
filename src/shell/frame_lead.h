// frame_lead.h - how far ahead of the music clock a live frame is drawn.
//
// A frame drawn for the clock's "now" is seen only once it has been drawn
// and swapped to the screen, and then stays there until the next swap, so
// every picture would come late by the drawing time and half a frame. The
// loop therefore draws for the clock plus a lead: the time from reading the
// clock to the swap's return, plus half the time between frames, both
// averaged over the frames before (with vsync, the swap's return is the
// refresh that shows the frame). A frame that took far longer (a stall, a
// window being dragged) counts as kMaxSeconds, so one hitch does not throw
// the pictures ahead.
//
// Where frames are not paced by the display, the loop may instead hold a
// frame back until its picture is due (Waited): that wait is not part of
// the time between frames, and the time to the screen counts from its end.
//
// Main thread only; times are seconds on any steady clock.
#ifndef ZIBO_SHELL_FRAME_LEAD_H
#define ZIBO_SHELL_FRAME_LEAD_H

#include <cstdint>

namespace zibo {

class FrameLead {
 public:
  static constexpr double kMaxSeconds = 0.05;

  // The clock is read for a new frame at `now`.
  void Started(double now);
  // The frame started last waited until `now` before drawing.
  void Waited(double now);
  // That frame's swap returned at `now`.
  void Shown(double now);
  // The lead for the next frame, in whole milliseconds (0 before any frame).
  int32_t Ms() const;
  // From reading the clock to the swap's return; and that plus the time
  // the picture then stays up (how far ahead this frame is seen). Whole
  // milliseconds.
  int32_t ToScreenMs() const;
  int32_t ReachMs() const;

 private:
  double started_ = -1;      // the frame being drawn; -1 between frames
  double last_started_ = -1;
  double to_screen_ = 0, between_ = 0;  // running averages, seconds
  bool measured_screen_ = false, measured_between_ = false;
};

}  // namespace zibo

#endif
