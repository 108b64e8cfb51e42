// show_media.h - the eleven files the show reads from its media folder.
//
// This is the only list of them: the show, capture, the media generator, the
// benchmarks and the tests all name the files through it. Pure data.
#ifndef ZIBO_SHOW_SHOW_MEDIA_H
#define ZIBO_SHOW_SHOW_MEDIA_H

namespace zibo {

inline constexpr const char* kSongFile = "disco.mp3";
inline constexpr const char* kEffectFile = "s.ogg";
inline constexpr const char* kBackgroundFile = "bg.tga";
inline constexpr const char* kBackground2File = "bg2.tga";
inline constexpr int kSlideCount = 7;
inline constexpr const char* kSlideFiles[kSlideCount] = {"s1.tga", "s2.tga", "s3.tga", "s4.tga",
                                                         "s5.tga", "s6.tga", "s7.tga"};

// The nine pictures in the order the show loads them.
inline constexpr int kImageFileCount = 2 + kSlideCount;
inline constexpr const char* kImageFiles[kImageFileCount] = {
    kBackgroundFile, kBackground2File, kSlideFiles[0], kSlideFiles[1], kSlideFiles[2],
    kSlideFiles[3],  kSlideFiles[4],   kSlideFiles[5], kSlideFiles[6]};

// All eleven: the song, the effect, then the pictures.
inline constexpr int kMediaFileCount = 2 + kImageFileCount;
inline constexpr const char* kMediaFiles[kMediaFileCount] = {
    kSongFile,      kEffectFile,    kBackgroundFile, kBackground2File, kSlideFiles[0], kSlideFiles[1],
    kSlideFiles[2], kSlideFiles[3], kSlideFiles[4],  kSlideFiles[5],   kSlideFiles[6]};

}  // namespace zibo

#endif
