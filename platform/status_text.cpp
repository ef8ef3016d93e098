#include "platform/status_text.h"

#include <cstdio>
#include <iterator>

namespace {

struct StatusText {
  uint32_t code;
  const char* text;
};

// Win32 codes, reached through facility 7 or as bare codes.
constexpr StatusText kWin32Texts[] = {
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_SEEK_ON_DEVICE, "The file pointer cannot be set on the specified device or file."},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
    {ERROR_DISK_QUOTA_EXCEEDED,
     "The requested file operation failed because the storage quota was exceeded."},
    {ERROR_RPC_S_ZERO_DIVIDE, "The RPC server attempted an integer division by zero."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND,
     "The specified resource type cannot be found in the image file."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system."},
    {ERROR_INVALID_STATE,
     "The group or resource is not in the correct state to perform the requested operation."},
};

// Statuses of other facilities, by their whole value.
constexpr StatusText kStatusTexts[] = {
    {static_cast<uint32_t>(E_POINTER), "Invalid pointer"},
    {static_cast<uint32_t>(E_FAIL), "Unspecified error"},
    {static_cast<uint32_t>(E_UNEXPECTED), "Catastrophic failure"},
    {static_cast<uint32_t>(DISP_E_TYPEMISMATCH), "Type mismatch."},
    {static_cast<uint32_t>(XML_E_LIBRARY_MISMATCH),
     "The XML library found at run time is not compatible with the one the program was "
     "built with."},
    {static_cast<uint32_t>(XML_E_UNSUPPORTED_ENCODING), "The encoding is not supported."},
    {static_cast<uint32_t>(XML_E_WRITE_FAILED), "The XML writer failed."},
    {static_cast<uint32_t>(XML_E_INVALID_XPATH), "The XPath expression is not valid."},
    {static_cast<uint32_t>(XML_E_XPATH_NOT_NODESET), "The XPath expression does not select nodes."},
    {static_cast<uint32_t>(XML_E_UNDECLARED_PREFIX),
     "The XPath expression uses a namespace prefix that is not declared."},
    {static_cast<uint32_t>(XML_E_CANNOT_APPEND),
     "The current node cannot hold a node of this kind."},
    {static_cast<uint32_t>(XML_E_NO_PARENT), "The node has no parent."},
    {static_cast<uint32_t>(XML_E_POSITION_OUT_OF_RANGE),
     "The position is outside the list of child nodes."},
    {static_cast<uint32_t>(XML_E_NOT_CHILD), "The node is not a child of the current node."},
    {static_cast<uint32_t>(XML_E_NO_ATTRIBUTES), "The current node cannot carry attributes."},
    {static_cast<uint32_t>(XML_E_INVALID_SELECTION_NAMESPACES),
     "The namespace declarations are not valid."},
    {static_cast<uint32_t>(XML_E_NAMESPACE_IN_USE),
     "The namespace declaration is in use by an element or attribute."},
    {static_cast<uint32_t>(XML_E_CANNOT_REMOVE),
     "The document type declaration cannot be removed."},
    {static_cast<uint32_t>(XML_E_MARKUP_NOT_IN_ENCODING),
     "The encoding cannot represent a character of a name, comment, processing instruction, "
     "CDATA section or DTD."},
    {static_cast<uint32_t>(XML_E_CANNOT_MOVE),
     "The node cannot be moved there: into itself, beside the document or an attribute, or "
     "where its kind cannot go."},
    {static_cast<uint32_t>(XML_E_CANNOT_RENAME), "Only an element or an attribute can be renamed."},
    {static_cast<uint32_t>(XML_E_NOT_PRESERVABLE),
     "The document's encoding does not give its bytes back exactly, so its layout cannot be "
     "kept."},
    {static_cast<uint32_t>(XML_E_SOURCE_MISMATCH),
     "The document's text could not be matched with its nodes, so its layout cannot be kept."},
    {static_cast<uint32_t>(XML_E_NO_CURRENT_NODE),
     "No node is selected: the query matched nothing."},
    {static_cast<uint32_t>(XML_E_INVALID_NAME), "The name is not a valid XML name."},
    {static_cast<uint32_t>(XML_E_UNDECLARED_NAME_PREFIX),
     "The name's namespace prefix is not declared on the node or its ancestors."},
    {static_cast<uint32_t>(SCRIPT_E_NESTING_TOO_DEEP), "Function calls are nested too deeply."},
    {static_cast<uint32_t>(SCRIPT_E_UTF16BE_FILE),
     "The file is in UTF-16 big-endian, which is not supported; save it as UTF-8."},
    {static_cast<uint32_t>(SCRIPT_E_FILE_TOO_LARGE), "The description file is larger than 64 MB."},
    {static_cast<uint32_t>(SCRIPT_E_NOTHING_MATCHED), "The expression matched nothing."},
    {static_cast<uint32_t>(HASH_E_ALGORITHM_UNAVAILABLE),
     "The cryptographic library does not offer the hash algorithm."},
    {static_cast<uint32_t>(HASH_E_LIBRARY_FAILURE),
     "The cryptographic library failed to compute the hash."},
    {static_cast<uint32_t>(HASH_E_LIBRARY_UNAVAILABLE),
     "The cryptographic library (OpenSSL's libcrypto) could not be loaded."},
    {static_cast<uint32_t>(FILE_E_HALF_WRITTEN),
     "An earlier run could not finish writing this file in place: the file may be half "
     "written."},
    {static_cast<uint32_t>(FILE_E_NO_STATE_FOLDER),
     "There is no folder to keep the file's previous content in while it is written in place: "
     "set HOME or XDG_STATE_HOME."},
};

const char* FindText(const StatusText* begin, const StatusText* end, uint32_t code) {
  for (const StatusText* entry = begin; entry != end; ++entry) {
    if (entry->code == code) return entry->text;
  }
  return nullptr;
}

bool IsWin32Code(HRESULT status) {
  return StatusFacility(status) == FACILITY_WIN32 || static_cast<uint32_t>(status) <= 0xFFFF;
}

}  // namespace

bool GetSystemText(HRESULT status, std::string* text) {
  if (status == S_OK || status == S_FALSE) return false;
  std::string found;
  if (!GetOperatingSystemText(status, &found)) {
    const char* own =
        IsWin32Code(status)
            ? FindText(std::begin(kWin32Texts), std::end(kWin32Texts), StatusCode(status))
            : FindText(std::begin(kStatusTexts), std::end(kStatusTexts),
                       static_cast<uint32_t>(status));
    if (own == nullptr) return false;
    found = own;
  }

  char suffix[32];
  if (IsWin32Code(status)) {
    std::snprintf(suffix, sizeof suffix, " (%u)", StatusCode(status));
  } else {
    std::snprintf(suffix, sizeof suffix, " (0x%08X)", static_cast<uint32_t>(status));
  }
  *text = std::move(found);
  *text += suffix;
  return true;
}
