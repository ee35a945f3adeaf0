#include "app/frame/QuitSequence.h"

#include <windows.h>

#include "cef/cef_app.h"

void RunQuitSequence() {
  PostQuitMessage(0);
  cef_shutdown();
  cef_quit_message_loop();
}
