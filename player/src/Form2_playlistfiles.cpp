// Saving the playlist to an .m3u file and loading one.

#include "player/Form2.hpp"

namespace player {

void Form2::mnusaveplaylist_Click() {}
void Form2::mnuplaylistload_Click() {}

}  // namespace player
