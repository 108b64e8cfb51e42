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
// drawn frame back until its picture is due (Held): the hold is neither
// time to the screen nor time between frames, and the time from its end to
// the swap's return is averaged apart (PresentMs), so that a held frame can
// be swapped just early enough.
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
  // The frame started last was drawn by `from` and held back until `until`.
  void Held(double from, double until);
  // That frame's swap returned at `now`.
  void Shown(double now);
  // The lead for the next frame, in whole milliseconds (0 before any frame).
  int32_t Ms() const;
  // From reading the clock to the swap's return plus the time the picture
  // then stays up: how far ahead this frame is seen. Whole milliseconds.
  int32_t ReachMs() const;
  // From the end of a hold to the swap's return (0 before any held frame).
  int32_t PresentMs() const;

 private:
  double started_ = -1;      // the frame being drawn; -1 between frames
  double last_started_ = -1;
  double held_ = 0, held_until_ = -1;  // the frame being drawn
  double to_screen_ = 0, between_ = 0, present_ = 0;  // running averages, seconds
  bool measured_screen_ = false, measured_between_ = false, measured_present_ = false;
};

}  // namespace zibo

#endif
