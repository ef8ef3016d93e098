// MD5 and SHA-1 digests of data and of whole files, computed by the system's
// cryptographic service: OpenSSL's libcrypto (opened on first use, see
// crypto_library.h), or on Windows CNG (bcrypt). This is the only place in
// the program that uses either.
//
// CHashProvider holds the algorithm implementations fetched from the
// service; CHashObject runs one computation at a time with them and keeps
// the finished digest. An object is idle, computing (between Begin and
// Finish) or finished (digest held). A failure in the middle of a
// computation leaves it computing: a further Begin then fails with
// ERROR_INVALID_STATE, so that a half-fed digest is never taken for a
// whole one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/status.h"

enum class HashAlgorithm { Md5, Sha1 };

// The system's implementation of one algorithm, and one computation with
// it; each system defines them (hash_posix.cpp, hash_win32.cpp).
struct HashMethod;
struct HashComputation;

class CHashProvider {
 public:
  CHashProvider() = default;
  CHashProvider(const CHashProvider&) = delete;
  CHashProvider& operator=(const CHashProvider&) = delete;
  virtual ~CHashProvider();

  // Sets *method to the implementation of algorithm, fetched from the
  // service on first use and held until the provider is destroyed. Fails
  // with HASH_E_LIBRARY_UNAVAILABLE when the library cannot be opened, and
  // with HASH_E_ALGORITHM_UNAVAILABLE when its configuration offers no such
  // algorithm (MD5 in a FIPS-only setup, for instance).
  HRESULT Acquire(HashAlgorithm algorithm, const HashMethod** method);

 private:
  struct MethodFree {
    void operator()(HashMethod* method) const;
  };
  std::unique_ptr<HashMethod, MethodFree> m_methods[2];  // by HashAlgorithm
};

class CHashObject {
 public:
  // REQUIRES: provider outlives the object.
  explicit CHashObject(CHashProvider* provider);
  CHashObject(const CHashObject&) = delete;
  CHashObject& operator=(const CHashObject&) = delete;
  virtual ~CHashObject();

  // Starts a computation and forgets any earlier digest. Fails with
  // ERROR_INVALID_STATE while a computation is open.
  HRESULT Begin(HashAlgorithm algorithm);
  // Adds length bytes. Fails with E_INVALIDARG for a null data pointer and
  // ERROR_INVALID_STATE when no computation is open.
  HRESULT HashData(const void* data, size_t length);
  // Begins, adds everything readable from fd (read in blocks of
  // kReadBlockSize into one buffer that the object keeps), and finishes.
  // Fails with E_INVALIDARG for a negative fd, or with the read's status.
  HRESULT HashFile(int fd, HashAlgorithm algorithm);
  // Opens the regular file at path and hashes it as HashFile does. Fails as
  // OpenRegularFileForReading does: file not found (2), access denied (5)
  // for an unreadable file, a folder, a device or a pipe.
  HRESULT HashFileByName(const std::string& path, HashAlgorithm algorithm);
  // Ends the computation and keeps its digest. Fails with
  // ERROR_INVALID_STATE when no computation is open.
  HRESULT Finish();
  // The digest in lower-case hexadecimal: 32 digits for MD5, 40 for SHA-1;
  // empty until a computation has finished.
  std::string ToHex() const;

  static constexpr size_t kReadBlockSize = 1048576;

 private:
  struct ComputationFree {
    void operator()(HashComputation* computation) const;
  };
  using Computation = std::unique_ptr<HashComputation, ComputationFree>;
  static constexpr size_t kMaxDigestSize = 64;

  // The system's part: starts a computation with method, adds to it, and
  // ends it with its digest, of at most kMaxDigestSize bytes.
  static HRESULT Start(const HashMethod* method, Computation* computation);
  static HRESULT Add(HashComputation* computation, const void* data, size_t length);
  static HRESULT End(HashComputation* computation, uint8_t* digest, size_t* length);

  CHashProvider* m_provider;
  Computation m_computation;                 // set exactly while computing
  std::unique_ptr<uint8_t[]> m_read_buffer;  // kReadBlockSize bytes once a file was read
  uint8_t m_value[kMaxDigestSize];           // the digest: m_value_length bytes
  size_t m_value_length = 0;
};
