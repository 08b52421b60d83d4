// Adds a certificate (DER file) to the machine's trusted roots of the test
// prefix, or with --remove takes it out again. Programs started afterwards
// trust what it signed.
//
// Usage: trust_test_root [--remove] CERTIFICATE.cer

#include "framework/UniqueHandle.h"

#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    const bool remove = argc == 3 && std::strcmp(argv[1], "--remove") == 0;
    if (argc != (remove ? 3 : 2)) {
        std::fprintf(stderr, "usage: trust_test_root [--remove] CERTIFICATE.cer\n");
        return 2;
    }
    std::ifstream file(argv[argc - 1], std::ios::binary);
    const std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fprintf(stderr, "trust_test_root: cannot read %s\n", argv[argc - 1]);
        return remove ? 0 : 1; // nothing was added, so nothing is left behind
    }
    // The registry part of the store: under Wine the whole system store also
    // holds the host's roots, and a deletion through it leaves the registry's
    // copy in place.
    const fw::UniqueCertStore root(
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!root) {
        std::fprintf(stderr, "trust_test_root: cannot open the machine's Root store (%lu)\n", ::GetLastError());
        return 1;
    }
    bool done = false;
    if (remove) {
        const fw::UniqueCertContext wanted(
            ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
        // Deleting a certificate from the store frees its context too.
        const PCCERT_CONTEXT stored = wanted ? ::CertFindCertificateInStore(root.Get(), X509_ASN_ENCODING, 0,
                                                                          CERT_FIND_EXISTING, wanted.Get(), nullptr)
                                             : nullptr;
        done = !stored || ::CertDeleteCertificateFromStore(stored);
    } else {
        done = ::CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der.data(),
                                                  static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                  nullptr);
    }
    if (!done)
        std::fprintf(stderr, "trust_test_root: the Root store refused the change (%lu)\n", ::GetLastError());
    return done ? 0 : 1;
}
