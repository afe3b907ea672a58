// Sets the access rules of a key under HKEY_CURRENT_USER, so end-to-end tests can
// make the real registry refuse writes:
//   regacl.exe readonly <subkey>   creates the key; everyone may only read it
//   regacl.exe open <subkey>       everyone may do everything again
// Prints "ok" on success.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: regacl readonly|open <HKCU subkey>\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    const wchar_t* sddl = mode == L"readonly" ? L"D:P(A;OICI;KR;;;WD)"
                          : mode == L"open"   ? L"D:P(A;OICI;KA;;;WD)"
                                              : nullptr;
    if (!sddl) return 2;
    HKEY key = nullptr;
    LONG rc =
        RegCreateKeyExW(HKEY_CURRENT_USER, argv[2], 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        std::fprintf(stderr, "RegCreateKeyEx: %ld\n", rc);
        return 1;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return 1;
    rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        std::fprintf(stderr, "RegSetKeySecurity: %ld\n", rc);
        return 1;
    }
    std::printf("ok\n");
    return 0;
}
