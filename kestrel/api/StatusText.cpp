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
      {KS_ERR_ACCESS_DENIED, u"access denied"},
      {KS_ERR_COMMIT_CONFLICT, u"commit conflict: the record was changed meanwhile"},
      {KS_READ_ONLY_GRANTED, u"the transaction was granted read-only"},
      {KS_COMMITTED_WITH_WARNINGS, u"committed with warnings"},
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
      {KS_ERR_READ_ONLY, u"the transaction cannot change data"},
      {KS_ERR_LOCKED, u"another session holds a lock on the data"},
      {KS_ERR_COMMIT_ERRORS, u"the commit found errors; nothing was committed"},
      {KS_ERR_NO_SUCH_RECORD, u"no such record"},
      {KS_ERR_TRANSACTION_EXISTS, u"a persistent transaction of this name exists"},
      {KS_ERR_TRANSACTION_BUSY, u"a commit of this database is running"},
      {KS_ERR_DATABASE_FULL, u"no record IDs are left"},
      {KS_ERR_NOT_LINKED, u"the records are not linked"},
      {KS_ERR_INVALID_PATTERN, u"the regular expression is invalid or takes too long"},
      {KS_ERR_NOT_A_JOURNAL, u"the file exists and is not a journal of this database"},
      {KS_ERR_IMPORT_SOURCE, u"the file is not a readable SQLite database"},
      {KS_ERR_SERVER_NOT_AVAILABLE, u"server not available"},
      {KS_ERR_NO_SUCH_SIGNAL, u"the schema defines no signal of that name"},
      {KS_ERR_SIGNAL_SUSPENDED, u"the signal is suspended"},
      {KS_ERR_REQUIRED_FIELD, u"a required field has no value"},
      {KS_ERR_DANGLING_REFERENCE, u"the reference leads to a missing record"},
      {KS_ERR_WRONG_CLASS, u"the reference leads to a record of another class"},
      {KS_ERR_DUPLICATE_KEY, u"another record has the same key in a unique index"},
      {KS_WARN_NOT_IN_VALUE_LIST, u"the value is not in the field's value list"},
      {KS_WARN_TEXT_TOO_LONG, u"the text is longer than the field's length"},
  };
  const auto it = texts.find(code);
  return it != texts.end() ? std::u16string(it->second)
                           : u"unknown status " + ToUtf16(std::to_string(code));
}

}  // namespace kestrel::api
