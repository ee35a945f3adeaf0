#pragma once

// Every way out of the program ends the same way: the quit message (which
// ends each nested modal loop in turn), then the browser layer is shut down
// and its loop told to end.
void RunQuitSequence();
