#pragma once
// Whether a program file can carry an embedded signature at all: a PE file
// (a program or a library) keeps its signature in its certificate table, so
// one whose headers name no such table is unsigned, and nothing more needs
// to be loaded to say so.

#include <cstddef>
#include <cstdint>
#include <string>

enum class CertificateTable {
    Absent,  // a PE file without a certificate table: unsigned
    Present, // a PE file with one: its signature is to be checked
    Unknown, // not a PE file, or headers that cannot be read: ask the system
};

// From the first bytes of a file: its DOS header, and the PE headers at the
// offset the DOS header gives, when they are among the bytes. When they are
// not, the answer is Unknown and `more` is set to the number of bytes from
// the start that holds them whole.
CertificateTable CertificateTableOf(const std::uint8_t* bytes, std::size_t size, std::size_t* more = nullptr);

// The same for the file at `path` (as NativeFilePath gives it), reading only its headers.
CertificateTable ReadCertificateTable(const std::wstring& path);
