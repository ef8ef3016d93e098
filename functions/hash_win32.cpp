#include <windows.h>
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

#include <algorithm>

#include "functions/hash.h"

struct HashMethod {
  BCRYPT_ALG_HANDLE algorithm;
};

struct HashComputation {
  BCRYPT_HASH_HANDLE hash;
};

namespace {

// CNG's names of the algorithms, by HashAlgorithm.
constexpr const wchar_t* kAlgorithmNames[] = {BCRYPT_MD5_ALGORITHM, BCRYPT_SHA1_ALGORITHM};

size_t IndexOf(HashAlgorithm algorithm) { return static_cast<size_t>(algorithm); }

}  // namespace

void CHashProvider::MethodFree::operator()(HashMethod* method) const {
  BCryptCloseAlgorithmProvider(method->algorithm, 0);
  delete method;
}

HRESULT CHashProvider::Acquire(HashAlgorithm algorithm, const HashMethod** method) {
  auto& held = m_methods[IndexOf(algorithm)];
  if (!held) {
    BCRYPT_ALG_HANDLE opened = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&opened, kAlgorithmNames[IndexOf(algorithm)],
                                                    nullptr, 0))) {
      return HASH_E_ALGORITHM_UNAVAILABLE;
    }
    held.reset(new HashMethod{opened});
  }
  *method = held.get();
  return S_OK;
}

void CHashObject::ComputationFree::operator()(HashComputation* computation) const {
  BCryptDestroyHash(computation->hash);
  delete computation;
}

HRESULT CHashObject::Start(const HashMethod* method, Computation* computation) {
  // The hash object's memory is CNG's own to manage.
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(method->algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
    return HASH_E_LIBRARY_FAILURE;
  }
  computation->reset(new HashComputation{hash});
  return S_OK;
}

HRESULT CHashObject::Add(HashComputation* computation, const void* data, size_t length) {
  // BCryptHashData takes at most 4 GiB - 1 at a time.
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (length > 0) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(length, 1u << 30));
    if (!BCRYPT_SUCCESS(BCryptHashData(computation->hash, const_cast<PUCHAR>(bytes), chunk, 0))) {
      return HASH_E_LIBRARY_FAILURE;
    }
    bytes += chunk;
    length -= chunk;
  }
  return S_OK;
}

HRESULT CHashObject::End(HashComputation* computation, uint8_t* digest, size_t* length) {
  DWORD size = 0;
  ULONG written = 0;
  if (!BCRYPT_SUCCESS(BCryptGetProperty(computation->hash, BCRYPT_HASH_LENGTH,
                                        reinterpret_cast<PUCHAR>(&size), sizeof size, &written,
                                        0)) ||
      size > kMaxDigestSize ||
      !BCRYPT_SUCCESS(BCryptFinishHash(computation->hash, digest, size, 0))) {
    return HASH_E_LIBRARY_FAILURE;
  }
  *length = size;
  return S_OK;
}
