#include <dlfcn.h>
#include <openssl/opensslv.h>

#include "functions/crypto_library.h"

namespace {

// The name the library is installed under for the major version whose
// headers we were built with: its calls are those of that version.
constexpr char kSoname[] = "libcrypto.so." OPENSSL_MSTR(OPENSSL_SHLIB_VERSION);

template <typename Function>
bool Resolve(void* handle, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(dlsym(handle, name));
  return *function != nullptr;
}

bool Load(CryptoLibrary* library) {
  void* handle = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;
  const bool complete = Resolve(handle, "EVP_MD_fetch", &library->md_fetch) &&
                        Resolve(handle, "EVP_MD_free", &library->md_free) &&
                        Resolve(handle, "EVP_MD_CTX_new", &library->md_ctx_new) &&
                        Resolve(handle, "EVP_MD_CTX_free", &library->md_ctx_free) &&
                        Resolve(handle, "EVP_DigestInit_ex", &library->digest_init) &&
                        Resolve(handle, "EVP_DigestUpdate", &library->digest_update) &&
                        Resolve(handle, "EVP_DigestFinal_ex", &library->digest_final) &&
                        Resolve(handle, "ERR_clear_error", &library->clear_error);
  // A library without one of them is not the one we were built for.
  if (!complete) dlclose(handle);
  return complete;
}

}  // namespace

HRESULT OpenCryptoLibrary(const CryptoLibrary** library) {
  // Initialised once, thread-safely; the process never unloads it.
  static CryptoLibrary loaded{};
  static const bool available = Load(&loaded);
  if (!available) return HASH_E_LIBRARY_UNAVAILABLE;
  *library = &loaded;
  return S_OK;
}
