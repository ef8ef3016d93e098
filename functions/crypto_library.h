// OpenSSL's libcrypto, opened when a hash is first asked for rather than
// linked into the program. The library binds all of its thousands of
// symbols as it loads (it is built with BIND_NOW), which costs about
// 2.7 ms: more than a whole update of a small document, paid by every run
// although only the hash function needs it.
#pragma once

#include <openssl/err.h>
#include <openssl/evp.h>

#include "platform/status.h"

// The entry points the hash code calls, typed by the library's own
// declarations so that the compiler checks every call.
struct CryptoLibrary {
  decltype(&EVP_MD_fetch) md_fetch;
  decltype(&EVP_MD_free) md_free;
  decltype(&EVP_MD_CTX_new) md_ctx_new;
  decltype(&EVP_MD_CTX_free) md_ctx_free;
  decltype(&EVP_DigestInit_ex) digest_init;
  decltype(&EVP_DigestUpdate) digest_update;
  decltype(&EVP_DigestFinal_ex) digest_final;
  decltype(&ERR_clear_error) clear_error;
};

// Sets *library to the entry points, opening the library on the first
// call; the library then stays for the life of the process. Fails with
// HASH_E_LIBRARY_UNAVAILABLE when it cannot be opened or lacks one of
// them; every later call fails the same way without trying again.
HRESULT OpenCryptoLibrary(const CryptoLibrary** library);
