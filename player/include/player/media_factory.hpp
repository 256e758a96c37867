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
