// file_version.exe FILE...: prints the version block of each Windows program or
// library as Explorer reads it for Properties, Details: one "KEY=VALUE" line per
// entry, in UTF-8, after a "FILE" line. The package test compares them with the
// project version. Exit status 1 when a file has no readable version block.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* wide) {
  const int length = static_cast<int>(std::wcslen(wide));
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

void Line(const std::string& key, const std::string& value) {
  std::printf("%s=%s\n", key.c_str(), value.c_str());
}

std::string Quad(DWORD high, DWORD low) {
  return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
         std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

bool PrintVersion(const wchar_t* path) {
  std::printf("FILE %s\n", Utf8(path).c_str());
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) {
    std::fprintf(stderr, "%s: no version block (error %lu)\n", Utf8(path).c_str(),
                 static_cast<unsigned long>(GetLastError()));
    return false;
  }
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data())) {
    std::fprintf(stderr, "%s: the version block cannot be read\n", Utf8(path).c_str());
    return false;
  }
  void* data = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &data, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    std::fprintf(stderr, "%s: no fixed version information\n", Utf8(path).c_str());
    return false;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
  Line("FixedFileVersion", Quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
  Line("FixedProductVersion", Quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  Line("FixedFileType", fixed->dwFileType == VFT_APP   ? "app"
                        : fixed->dwFileType == VFT_DLL ? "dll"
                                                       : std::to_string(fixed->dwFileType));

  // The strings live under the language and code page that the translation
  // table names first.
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) ||
      length < 2 * sizeof(WORD)) {
    std::fprintf(stderr, "%s: no translation table\n", Utf8(path).c_str());
    return false;
  }
  const auto* translation = static_cast<const WORD*>(data);
  wchar_t language[16];
  std::swprintf(language, 16, L"%04x%04x", translation[0], translation[1]);
  Line("Translation", Utf8(language));
  static const wchar_t* const kKeys[] = {L"CompanyName",  L"FileDescription", L"FileVersion",
                                         L"InternalName", L"LegalCopyright",  L"OriginalFilename",
                                         L"ProductName",  L"ProductVersion"};
  for (const wchar_t* key : kKeys) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\") + language + L"\\" + key;
    if (VerQueryValueW(block.data(), query.c_str(), &data, &length) && length > 0) {
      Line(Utf8(key), Utf8(static_cast<const wchar_t*>(data)));
    } else {
      Line(Utf8(key), "<missing>");
    }
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) {
    std::fputs("usage: file_version FILE...\n", stderr);
    return 2;
  }
  bool ok = true;
  for (int i = 1; i < argc; ++i) ok = PrintVersion(argv[i]) && ok;
  return ok ? 0 : 1;
}
