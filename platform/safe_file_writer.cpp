#include "platform/safe_file_writer.h"

#include <cstring>

HRESULT CSafeFileWriter::Write(const void* data, size_t size) {
  if (FAILED(m_status)) return m_status;
  if (!m_buffer) return m_status = E_HANDLE;
  if (m_used + size > kBufferSize) {
    if (FAILED(Flush())) return m_status;
    if (size >= kBufferSize) return m_status = WriteOut(data, size);
  }
  std::memcpy(m_buffer.get() + m_used, data, size);
  m_used += size;
  return S_OK;
}

HRESULT CSafeFileWriter::Flush() {
  if (FAILED(m_status)) return m_status;
  m_status = WriteOut(m_buffer.get(), m_used);
  m_used = 0;
  return m_status;
}
