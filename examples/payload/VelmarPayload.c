/* The example installer's payload: a tiny Windows program with a version resource, so that the
   installer has a real file whose version it can read after downloading it. The main job appends
   random bytes to make it large enough to watch the download. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)instance, (void)previous, (void)commandLine, (void)show;
  MessageBoxW(NULL, L"Velmar is installed.", L"Velmar", MB_OK | MB_ICONINFORMATION);
  return 0;
}
