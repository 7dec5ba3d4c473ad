// The exported functions, called by the installer through System::Call with the C calling
// convention. Each one checks and copies its arguments, calls the work behind it and hands back
// the result; none throws into the host.
#include "plugin/Exports.h"

extern "C" {

void Unload() {
  // Releases the window captured by CaptureDialog. Nothing can be captured yet, so there is
  // nothing to release.
}

}  // extern "C"
