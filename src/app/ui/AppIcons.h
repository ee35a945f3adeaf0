#pragma once

// The program's two icons (the coloured one and the grey one of a lost
// connection), read from the files beside the program. Reading them waits on
// the image codecs for a good part of a tenth of a second, so a sign-in
// starts reading them on a thread of its own while it talks to the service;
// the main window takes them when it opens.

#include "quennet/WinHandles.h"

struct AppIcons {
  quennet::UniqueIcon colour;
  quennet::UniqueIcon grey;
};

// Starts reading the icons on another thread; a read already under way or
// not yet taken is kept.
void StartReadingAppIcons();

// The icons: those read ahead when there are some (waiting for the read to
// end), else read now. A file that cannot be read gives a null icon.
[[nodiscard]] AppIcons TakeAppIcons();
