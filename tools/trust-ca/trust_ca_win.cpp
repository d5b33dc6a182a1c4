// CorvantaTrustCa: makes one CA certificate trusted for the current Wine prefix (or Windows user)
// by putting it into the CurrentUser "Root" store. Used for the development CA only.
//
//   CorvantaTrustCa.exe FILE   FILE holds the certificate, PEM or DER
//
// Idempotent: a certificate already there stays once. A CA made anew is added beside the old
// one, whose key is gone with it.
// Exit codes: 0 trusted; 1 the file or the store failed; 64 wrong arguments.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void complain(const char* what, DWORD code) {
    std::fprintf(stderr, "CorvantaTrustCa: %s (error %lu)\n", what,
                 static_cast<unsigned long>(code));
}

// PEM is decoded; anything else is taken as DER and left to the store to judge.
std::vector<BYTE> certificateBytes(const std::vector<char>& file) {
    DWORD size = 0;
    if (CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()),
                             CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr) &&
        size > 0) {
        std::vector<BYTE> der(size);
        if (CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()),
                                 CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr)) {
            der.resize(size);
            return der;
        }
    }
    return std::vector<BYTE>(file.begin(), file.end());
}

int trust(const wchar_t* path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        complain("cannot read the certificate file", GetLastError());
        return 1;
    }
    if (file.empty()) {
        complain("the certificate file is empty or missing", ERROR_FILE_NOT_FOUND);
        return 1;
    }
    const std::vector<BYTE> der = certificateBytes(file);

    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (store == nullptr) {
        complain("cannot open the CurrentUser Root store", GetLastError());
        return 1;
    }
    const BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                     static_cast<DWORD>(der.size()),
                                                     CERT_STORE_ADD_USE_EXISTING, nullptr);
    const DWORD code = GetLastError();
    CertCloseStore(store, 0);
    if (!ok) {
        complain("the certificate was not added (not a certificate?)", code);
        return 1;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: CorvantaTrustCa.exe CERTIFICATE-FILE (PEM or DER)\n", stderr);
        return 64;
    }
    return trust(argv[1]);
}
