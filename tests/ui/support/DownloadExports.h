#pragma once
// The two download exports of the built DLL, looked up by name as an installer does.
//
//   msk::test::DownloadExports dll;
//   int ok = dll.httpDownload(L"http://127.0.0.1:8000/file", L"C:\\file");
//
// One per test; not thread-safe.

#include "support/PluginHost.h"

namespace msk::test {

struct DownloadExports {
  using HttpDownloadFn = int(__cdecl*)(const wchar_t*, const wchar_t*);
  using ShowErrorWindowFn = int(__cdecl*)();

  PluginHost host;
  HttpDownloadFn httpDownload = host.Export<HttpDownloadFn>("HTTPDownload");
  ShowErrorWindowFn showErrorWindow = host.Export<ShowErrorWindowFn>("ShowErrorWindow");
};

}  // namespace msk::test
