#include "kestrel/api/StatusText.h"

#include <map>

#include "kestrel/engine/Text.h"

namespace kestrel::api {

std::u16string StatusText(KSStatus code) {
  static const std::map<KSStatus, const char16_t*> texts = {
      {KS_OK, u"success"},
      {KS_NO_FURTHER_RECORD, u"no further record"},
      {KS_RECORD_NOT_IN_CURSOR, u"the record was created but lies outside the cursor"},
      {KS_ERR_INVALID_HANDLE, u"invalid handle"},
      {KS_ERR_INVALID_ARGUMENT, u"invalid argument"},
      {KS_ERR_NO_SUCH_INDEX, u"the index does not exist"},
      {KS_ERR_NO_SUCH_CLASS, u"the class does not exist"},
      {KS_ERR_NO_SUCH_FIELD, u"the field does not exist"},
      {KS_BEGIN_OF_TABLE, u"before the first record"},
      {KS_ERR_NO_MASTER_RECORD, u"no master record"},
      {KS_END_OF_TABLE, u"no more records"},
      {KS_ERR_DELETE_REFERENCED, u"the record is referenced and cannot be deleted"},
      {KS_ERR_DELETE_REFUSED, u"deleting records of this class is not allowed"},
      {KS_ERR_COMMIT_CONFLICT, u"commit conflict: the transaction was restarted"},
      {KS_READ_ONLY_GRANTED, u"the transaction was granted read-only"},
      {KS_ERR_NOT_SUPPORTED, u"not supported by this version of the library"},
      {KS_ERR_HOST_NOT_REACHABLE, u"host not reachable"},
      {KS_ERR_NO_SUCH_SERVER, u"no such server"},
      {KS_ERR_SERVER_NOT_RUNNING, u"server not running"},
      {KS_ERR_SERVER_IN_USE, u"server in use by another process"},
      {KS_ERR_NO_SUCH_META, u"no such schema"},
      {KS_ERR_NO_SUCH_DATABASE, u"no such database online"},
      {KS_ERR_DATABASE_ONLINE, u"a database of this name is already online"},
      {KS_ERR_ARCHIVE_EXISTS, u"a saved database of this name already exists"},
      {KS_ERR_INVALID_NAME, u"not a valid database name"},
      {KS_ERR_FILE_NOT_FOUND, u"file not found"},
      {KS_ERR_DUMP_CORRUPT, u"the dump is corrupt or truncated"},
      {KS_ERR_DUMP_SCHEMA, u"the dump belongs to another schema or version"},
      {KS_ERR_WRITE_FAILED, u"the file could not be written"},
      {KS_ERR_LOGON_FAILED, u"unknown user or wrong password"},
      {KS_ERR_INVALID_LANGUAGE, u"not a valid language code"},
      {KS_ERR_NO_SUCH_TRANSACTION, u"no such transaction"},
      {KS_ERR_NO_SUCH_SERVICE, u"no such DB service"},
      {KS_ERR_ASCII_FORMAT, u"the text file is not in the database text format"},
      {KS_ERR_SERVER_STATE, u"the server's state file cannot be read or written"},
      {KS_ERR_INTERNAL, u"internal error"},
  };
  const auto it = texts.find(code);
  return it != texts.end() ? std::u16string(it->second)
                           : u"unknown status " + ToUtf16(std::to_string(code));
}

}  // namespace kestrel::api
