#include "functions/hash.h"

#include <fcntl.h>

#include <new>

#include "functions/crypto_library.h"
#include "platform/file.h"

namespace {

static_assert(EVP_MAX_MD_SIZE <= 64, "the digest buffer is too small");

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

void CHashProvider::MethodFree::operator()(EVP_MD* method) const { library->md_free(method); }

CHashProvider::~CHashProvider() = default;

HRESULT CHashProvider::Acquire(HashAlgorithm algorithm, const CryptoLibrary** library,
                               const EVP_MD** method) {
  const HRESULT hr = OpenCryptoLibrary(library);
  if (FAILED(hr)) return hr;
  auto& held = m_methods[IndexOf(algorithm)];
  if (!held) {
    // Fetched explicitly, once, rather than looked up again by every
    // EVP_DigestInit_ex.
    held = std::unique_ptr<EVP_MD, MethodFree>(
        (*library)->md_fetch(nullptr, kAlgorithmNames[IndexOf(algorithm)], nullptr),
        MethodFree{*library});
    if (!held) return LibraryFailure(**library, HASH_E_ALGORITHM_UNAVAILABLE);
  }
  *method = held.get();
  return S_OK;
}

void CHashObject::ContextFree::operator()(EVP_MD_CTX* context) const {
  library->md_ctx_free(context);
}

CHashObject::CHashObject(CHashProvider* provider) : m_provider(provider) {}

CHashObject::~CHashObject() = default;

HRESULT CHashObject::Begin(HashAlgorithm algorithm) {
  if (m_context) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  const CryptoLibrary* library = nullptr;
  const EVP_MD* method = nullptr;
  const HRESULT hr = m_provider->Acquire(algorithm, &library, &method);
  if (FAILED(hr)) return hr;
  std::unique_ptr<EVP_MD_CTX, ContextFree> context(library->md_ctx_new(), ContextFree{library});
  if (!context) return LibraryFailure(*library, E_OUTOFMEMORY);
  if (library->digest_init(context.get(), method, nullptr) != 1) {
    return LibraryFailure(*library, HASH_E_LIBRARY_FAILURE);
  }
  m_context = std::move(context);
  m_value_length = 0;
  return S_OK;
}

HRESULT CHashObject::HashData(const void* data, size_t length) {
  if (data == nullptr) return E_INVALIDARG;
  if (!m_context) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  const CryptoLibrary& library = *m_context.get_deleter().library;
  if (library.digest_update(m_context.get(), data, length) != 1) {
    return LibraryFailure(library, HASH_E_LIBRARY_FAILURE);
  }
  return S_OK;
}

HRESULT CHashObject::HashFile(int fd, HashAlgorithm algorithm) {
  if (fd < 0) return E_INVALIDARG;
  if (!m_read_buffer) {
    m_read_buffer.reset(new (std::nothrow) uint8_t[kReadBlockSize]);
    if (!m_read_buffer) return E_OUTOFMEMORY;
  }
  HRESULT hr = Begin(algorithm);
  while (SUCCEEDED(hr)) {
    const long count = ReadSome(fd, m_read_buffer.get(), kReadBlockSize, &hr);
    if (count < 0) break;
    if (count == 0) return Finish();
    hr = HashData(m_read_buffer.get(), static_cast<size_t>(count));
  }
  return hr;
}

HRESULT CHashObject::HashFileByName(const std::string& path, HashAlgorithm algorithm) {
  UniqueFd fd;
  const HRESULT hr = OpenRegularFileForReading(path, &fd);
  if (FAILED(hr)) return hr;
  // Only a hint: the file is read once from start to end.
  posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  return HashFile(fd.Get(), algorithm);
}

HRESULT CHashObject::Finish() {
  if (!m_context) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  const CryptoLibrary& library = *m_context.get_deleter().library;
  unsigned int length = 0;
  if (library.digest_final(m_context.get(), m_value, &length) != 1) {
    return LibraryFailure(library, HASH_E_LIBRARY_FAILURE);
  }
  m_value_length = length;
  m_context.reset();
  return S_OK;
}

std::string CHashObject::ToHex() const {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * m_value_length);
  for (size_t i = 0; i < m_value_length; ++i) {
    text += kDigits[m_value[i] >> 4];
    text += kDigits[m_value[i] & 0x0F];
  }
  return text;
}
