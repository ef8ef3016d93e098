#include "functions/crypto_library.h"
#include "functions/hash.h"

static_assert(EVP_MAX_MD_SIZE <= 64, "the digest buffer is too small");

struct HashMethod {
  const CryptoLibrary* library;
  EVP_MD* method;
};

struct HashComputation {
  const CryptoLibrary* library;
  EVP_MD_CTX* context;
};

namespace {

// The library's names of the algorithms, by HashAlgorithm.
constexpr const char* kAlgorithmNames[] = {"MD5", "SHA1"};

size_t IndexOf(HashAlgorithm algorithm) { return static_cast<size_t>(algorithm); }

// A failed library call leaves its reasons queued for the thread; drop
// them so that they are not blamed on a later, unrelated call.
HRESULT LibraryFailure(const CryptoLibrary& library, HRESULT status) {
  library.clear_error();
  return status;
}

}  // namespace

void CHashProvider::MethodFree::operator()(HashMethod* method) const {
  method->library->md_free(method->method);
  delete method;
}

HRESULT CHashProvider::Acquire(HashAlgorithm algorithm, const HashMethod** method) {
  const CryptoLibrary* library = nullptr;
  const HRESULT hr = OpenCryptoLibrary(&library);
  if (FAILED(hr)) return hr;
  auto& held = m_methods[IndexOf(algorithm)];
  if (!held) {
    // Fetched explicitly, once, rather than looked up again by every
    // EVP_DigestInit_ex.
    EVP_MD* fetched = library->md_fetch(nullptr, kAlgorithmNames[IndexOf(algorithm)], nullptr);
    if (fetched == nullptr) return LibraryFailure(*library, HASH_E_ALGORITHM_UNAVAILABLE);
    held.reset(new HashMethod{library, fetched});
  }
  *method = held.get();
  return S_OK;
}

void CHashObject::ComputationFree::operator()(HashComputation* computation) const {
  computation->library->md_ctx_free(computation->context);
  delete computation;
}

HRESULT CHashObject::Start(const HashMethod* method, Computation* computation) {
  const CryptoLibrary& library = *method->library;
  EVP_MD_CTX* context = library.md_ctx_new();
  if (context == nullptr) return LibraryFailure(library, E_OUTOFMEMORY);
  Computation started(new HashComputation{&library, context});
  if (library.digest_init(context, method->method, nullptr) != 1) {
    return LibraryFailure(library, HASH_E_LIBRARY_FAILURE);
  }
  *computation = std::move(started);
  return S_OK;
}

HRESULT CHashObject::Add(HashComputation* computation, const void* data, size_t length) {
  if (computation->library->digest_update(computation->context, data, length) != 1) {
    return LibraryFailure(*computation->library, HASH_E_LIBRARY_FAILURE);
  }
  return S_OK;
}

HRESULT CHashObject::End(HashComputation* computation, uint8_t* digest, size_t* length) {
  unsigned int size = 0;
  if (computation->library->digest_final(computation->context, digest, &size) != 1) {
    return LibraryFailure(*computation->library, HASH_E_LIBRARY_FAILURE);
  }
  *length = size;
  return S_OK;
}
