#pragma once
// Where the main window's media control comes from: the program sets the
// GStreamer control, tests a scripted one. Without a factory the window gets
// a scripted control, which plays nothing.

#include <functional>
#include <memory>

#include "media/media_player.hpp"

namespace player {

using MediaPlayerFactory = std::function<std::unique_ptr<media::MediaPlayer>()>;

void SetMediaPlayerFactory(MediaPlayerFactory factory);  // empty: the default
std::unique_ptr<media::MediaPlayer> MakeMediaPlayer();

}  // namespace player

namespace player {

// A control that makes the real one only when it is first needed (a file
// name, a play, pause or stop, a position): starting GStreamer then stays off
// the window's way to the screen. Volume, balance, mute, rate and width set
// before are kept and handed over; until then the reads give them back, no
// file is open and a position is refused (380), as on a control without a
// file. When the factory gives nothing, a scripted control stands in.
std::unique_ptr<media::MediaPlayer> DeferUntilUsed(MediaPlayerFactory make);

}  // namespace player
