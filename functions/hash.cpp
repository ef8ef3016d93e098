#include "functions/hash.h"

#include <new>

#include "platform/file.h"

CHashProvider::~CHashProvider() = default;

CHashObject::CHashObject(CHashProvider* provider) : m_provider(provider) {}

CHashObject::~CHashObject() = default;

HRESULT CHashObject::Begin(HashAlgorithm algorithm) {
  if (m_computation) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  const HashMethod* method = nullptr;
  HRESULT hr = m_provider->Acquire(algorithm, &method);
  if (SUCCEEDED(hr)) hr = Start(method, &m_computation);
  if (FAILED(hr)) return hr;
  m_value_length = 0;
  return S_OK;
}

HRESULT CHashObject::HashData(const void* data, size_t length) {
  if (data == nullptr) return E_INVALIDARG;
  if (!m_computation) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  return Add(m_computation.get(), data, length);
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
  const HRESULT hr = OpenRegularFileForReading(path, &fd, ReadHint::Sequential);
  if (FAILED(hr)) return hr;
  return HashFile(fd.Get(), algorithm);
}

HRESULT CHashObject::Finish() {
  if (!m_computation) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
  size_t length = 0;
  const HRESULT hr = End(m_computation.get(), m_value, &length);
  if (FAILED(hr)) return hr;
  m_value_length = length;
  m_computation.reset();
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
