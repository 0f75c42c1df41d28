/*
 * KestrelAPI.h - the C interface of the Kestrel Database API (libKestrelAPI.so).
 *
 * Conventions of every function:
 * - C calling convention. Handles, counts, status codes and booleans are 32-bit; handle 0 is no
 *   handle. A handle names one object of one kind (server connection, meta, session, transaction,
 *   cursor, signal, sort, condition, object). A zero, released, stale (released and its slot
 *   reused) or foreign (of another kind) handle is refused with KS_ERR_INVALID_HANDLE, or with
 *   0 / a null pointer from functions that answer a handle, text or array.
 * - Strings are zero-terminated UTF-16 (KSUseWideStrings(1) is the only mode). A null string
 *   argument counts as the empty text unless a function says otherwise.
 * - Strings and arrays returned by the library belong to it. They stay valid until the next call
 *   on the same handle (the first handle argument of the call; for KSGetAvailableDatabases and
 *   KSGetAvailableServices the meta handle) or until that handle is released; KSFormatMessage
 *   with handle 0 keeps its result until its next such call on the same thread.
 * - Functions that answer a count through `count` set it to 0 on every failure.
 * - Functions documented as answering a status never return anything else than the codes listed
 *   below; the text of each is given by KSFormatMessage.
 *
 * Local servers live under $KESTREL_HOME (default ~/.local/share/kestrel) as
 * servers/<name>/ with server.json (state and online databases), metas/ *.json (schemas) and
 * databases/<db>.dmp (saved databases). The dump format is described in kestrel/engine/Dump.h.
 */
#ifndef KESTREL_API_H
#define KESTREL_API_H

#include <stdint.h>
#include <uchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KESTREL_API_BUILD)
#define KS_API __attribute__((visibility("default")))
#else
#define KS_API
#endif

typedef uint32_t KSHandle; /* 0: no handle */
typedef int32_t KSStatus;  /* 0: success, the codes below otherwise */
typedef int32_t KSBool;    /* 1 true, 0 false; any non-zero value reads as true */
typedef int32_t KSRecordID;
typedef int32_t KSClassID;

/* ---------------------------------------------------------------------------------------------
 * Status codes
 * ------------------------------------------------------------------------------------------- */
#define KS_OK 0
#define KS_NO_FURTHER_RECORD (-4)      /* a record step found no further record */
#define KS_RECORD_NOT_IN_CURSOR (-11)  /* the record was created but lies outside the cursor */
#define KS_ERR_INVALID_HANDLE 1001     /* zero, released, stale or foreign handle */
#define KS_ERR_INVALID_ARGUMENT 1002   /* a null pointer or an argument out of range */
#define KS_ERR_NO_SUCH_INDEX 1003      /* the index does not exist on the class */
#define KS_ERR_NO_SUCH_CLASS 1004      /* the class does not exist in the schema */
#define KS_ERR_NO_SUCH_FIELD 1005      /* the field does not exist on the class */
#define KS_BEGIN_OF_TABLE 1006         /* before the first record */
#define KS_ERR_NO_MASTER_RECORD 1007   /* a detail cursor without a master record */
#define KS_END_OF_TABLE 1011           /* after the last record: no more records */
#define KS_ERR_DELETE_REFERENCED 1033  /* the record is referenced and cannot be deleted */
#define KS_ERR_DELETE_REFUSED 1037     /* access denied: class access or record protection */
#define KS_ERR_ACCESS_DENIED 1037      /* the same status under the name of its wider meaning */
#define KS_ERR_COMMIT_CONFLICT 1038    /* a changed record was changed meanwhile in the parent */
#define KS_READ_ONLY_GRANTED 2079      /* the transaction was started read-only */
#define KS_COMMITTED_WITH_WARNINGS 2080 /* committed; KSGetLastErrors lists the warnings */
#define KS_ERR_NOT_SUPPORTED 3001      /* this version of the library does not offer the call */
#define KS_ERR_HOST_NOT_REACHABLE 3002 /* the host is not the local computer */
#define KS_ERR_NO_SUCH_SERVER 3003     /* no server of that name under $KESTREL_HOME */
#define KS_ERR_SERVER_NOT_RUNNING 3004 /* the server is stopped */
#define KS_ERR_SERVER_IN_USE 3005      /* another process serves the server's directory */
#define KS_ERR_NO_SUCH_META 3006       /* the schema (meta) is not served */
#define KS_ERR_NO_SUCH_DATABASE 3007   /* no online database of that name */
#define KS_ERR_DATABASE_ONLINE 3008    /* a database of that name is already online */
#define KS_ERR_ARCHIVE_EXISTS 3009     /* a saved database of that name exists on the server */
#define KS_ERR_INVALID_NAME 3010       /* not a plain database name */
#define KS_ERR_FILE_NOT_FOUND 3011     /* the file or directory does not exist */
#define KS_ERR_DUMP_CORRUPT 3012       /* the dump is truncated, corrupt or not a dump */
#define KS_ERR_DUMP_SCHEMA 3013        /* the dump belongs to another schema or version */
#define KS_ERR_WRITE_FAILED 3014       /* the file could not be written; the old one is kept */
#define KS_ERR_LOGON_FAILED 3015       /* unknown user or wrong password */
#define KS_ERR_INVALID_LANGUAGE 3016   /* not a three-letter language code */
#define KS_ERR_NO_SUCH_TRANSACTION 3017 /* no transaction of that name */
#define KS_ERR_NO_SUCH_SERVICE 3018    /* the schema has no DB service of that name */
#define KS_ERR_ASCII_FORMAT 3019       /* the text file is not in the database text format */
#define KS_ERR_SERVER_STATE 3020       /* the server's state file cannot be read or written */
#define KS_ERR_INTERNAL 3021           /* unexpected failure inside the library */
#define KS_ERR_READ_ONLY 3022          /* the transaction cannot change data (read-only, a root) */
#define KS_ERR_LOCKED 3023             /* another session holds a lock on the data */
#define KS_ERR_COMMIT_ERRORS 3024      /* the commit found errors (KSGetLastErrors); nothing done */
#define KS_ERR_NO_SUCH_RECORD 3025     /* the transaction does not see a record of that ID */
#define KS_ERR_TRANSACTION_EXISTS 3026 /* a persistent transaction of that name exists */
#define KS_ERR_TRANSACTION_BUSY 3027   /* a commit of the database is running (progress callback) */
#define KS_ERR_DATABASE_FULL 3028      /* no record IDs are left */
#define KS_ERR_NOT_LINKED 3029         /* the two records are not linked through the field */
#define KS_ERR_INVALID_PATTERN 3030    /* a regular expression that does not compile or gave up */
#define KS_ERR_NOT_A_JOURNAL 3031      /* the file exists and is not a journal of this database */
#define KS_ERR_IMPORT_SOURCE 3032      /* the file is not a readable SQLite database */
#define KS_ERR_SERVER_NOT_AVAILABLE 3033 /* the daemon serving the handle is gone or timed out */
#define KS_ERR_NO_SUCH_SIGNAL 3060     /* the schema defines no signal of that name */
#define KS_ERR_SIGNAL_SUSPENDED 3061   /* the signal is suspended and is not evaluated */
/* Codes of the error records of a commit (KSGetLastErrors); 1033, 1037 and 1038 appear too. */
#define KS_ERR_REQUIRED_FIELD 3040     /* a required field has no value */
#define KS_ERR_DANGLING_REFERENCE 3041 /* a reference or link leads to a missing record */
#define KS_ERR_WRONG_CLASS 3042        /* a reference or link leads to a record of another class */
#define KS_ERR_DUPLICATE_KEY 3043      /* another record has the same key in a unique index */
#define KS_WARN_NOT_IN_VALUE_LIST 3044 /* warning: the value is not in the field's value list */
#define KS_WARN_TEXT_TOO_LONG 3045     /* warning: the text is longer than the field's length */

/* ---------------------------------------------------------------------------------------------
 * Field types, access values and class flags
 * ------------------------------------------------------------------------------------------- */
#define KS_TYPE_UNSUPPORTED 0
#define KS_TYPE_ID 1          /* record identifier */
#define KS_TYPE_BOOLEAN 2
#define KS_TYPE_INTEGER 3
#define KS_TYPE_DURATION 4    /* seconds; null 2147483647 */
#define KS_TYPE_FLOAT 5
#define KS_TYPE_DATETIME 6    /* seconds since 1970-01-01 UTC; null 0 */
#define KS_TYPE_UNSIGNED 7
#define KS_TYPE_UNSIGNED2 8
#define KS_TYPE_STRING 9      /* length 0: unlimited */
#define KS_TYPE_ENUMERATED 10 /* value of a value list; null 0 */
#define KS_TYPE_REFERENCE 11  /* record ID of the referenced class; null -1 */
#define KS_TYPE_ABSENT 13     /* a signal argument given no value (KSArgumentValue) */
#define KS_TYPE_LINKS 14      /* link index to records of the referenced class */
#define KS_TYPE_CURRENCY 15
#define KS_TYPE_BLOB 16

#define KS_ACCESS_READ_ONLY 0
#define KS_ACCESS_READ_WRITE 1
#define KS_ACCESS_INSERT 2
#define KS_ACCESS_INVISIBLE 3

#define KS_CLASS_VIRTUAL 1
#define KS_CLASS_COMPUTED 2
#define KS_CLASS_PRIVATE 4
#define KS_CLASS_TRANSIENT 16

#define KS_FLAG_JOURNAL_ACTIVE 0x8000 /* KSGetFlags: the database's journal is active */

/* ---------------------------------------------------------------------------------------------
 * Records
 * ------------------------------------------------------------------------------------------- */

/* A typed value. `type` is a KS_TYPE_*; the value starts at byte 8: asInteger for types 1, 3, 4,
 * 7, 8, 10, 11, asBoolean for 2, asStamp for 6, asDouble for 5 and 15, asString for 9, asBlob
 * with blobLength bytes for 16. Null values: -1 for types 1 and 11; 0 for 3, 6, 7, 8, 10;
 * 2147483647 for 4; 0.0 for 5 and 15; a null or empty string for 9; a null blob or length 0 for
 * 16. `name` names the field when the value is written by name (null otherwise); the library
 * fills it in the values it returns.
 *
 * Nulls per type. The library stores null apart from every value. Written values: the null
 * value of types 1, 4, 6, 9, 10, 11 and 16 (and an empty text or blob) is stored as null; for
 * types 3, 5, 7, 8 and 15 the 0 written is stored as 0, not null; a boolean (2) stores 0 or 1.
 * Read values: a stored null reads as its type's null value (boolean: 0), so for types 3, 5, 7,
 * 8 and 15 a stored null and a stored 0 read alike, and a reader taking 0 for null sees both as
 * null. Conditions compare values as they read: a condition "equal to the null value of the
 * type" matches stored nulls and, for those types, stored zeros as well, so that what a client
 * shows as null and what a condition finds agree. */
typedef struct KSField {
  int32_t type;
  int32_t reserved;
  union {
    int32_t asInteger;
    KSBool asBoolean;
    int32_t asStamp;
    double asDouble;
    const char16_t* asString;
    const void* asBlob;
  } value;
  int32_t blobLength;
  int32_t reserved2;
  const char16_t* name;
} KSField;

/* One field of a class (KSGetFields). Access values are KS_ACCESS_*. */
typedef struct KSFieldDescription {
  const char16_t* name;            /* field name */
  int32_t type;                    /* KS_TYPE_* */
  int32_t length;                  /* string length in characters, 0 unlimited */
  int32_t actualAccess;            /* access in the actual plan */
  int32_t versionAccess;           /* access in a named root transaction */
  int32_t valueListID;             /* value list of an enumerated field, 0 none */
  const char16_t* referencedClass; /* class a field of type 11 or 14 leads to, else null */
  KSBool required;                 /* a value must be given */
  int32_t fieldIndex;              /* position among the class's fields, inherited ones first */
  const char16_t* ownerClass;      /* class that declares the field */
  KSBool inherited;                /* declared by an ancestor class */
  int32_t reserved[3];
} KSFieldDescription;

/* An event given to an event callback. */
typedef struct KSEventRecord {
  int32_t kind;          /* KS_EVENT_* */
  int32_t code;          /* meaning depends on the kind */
  KSHandle handle;       /* the handle the callback was registered for, 0 for global callbacks */
  int32_t valueCount;    /* number of entries in values */
  const KSField* values; /* valid during the callback only */
} KSEventRecord;

/* Event kinds and codes. Values are typed: texts (9), integers (3), booleans (2), record IDs (1)
 * and, for class triggers with values, every kind of field value (with the field's name).
 * KS_EVENT_SERVER_SHUTDOWN (1), code 0: the server was closed (KSCloseServer); sent to every
 *   connection of the server and to the global callback. values[0]: the server name.
 * KS_EVENT_CONNECTION_LOST (2), code 0: the session's server was closed; sent to every session
 *   of the server. values[0]: the server name.
 * KS_EVENT_SERVER_NOTICE (3): KS_NOTICE_SHUTTING_DOWN (101) the server is going away (sent
 *   before it saves its databases), KS_NOTICE_DATABASES_CHANGED (102) harmless: a database went
 *   online or offline (values[0] its name), KS_NOTICE_SERVER_STOPPED (105) the server went
 *   away without notice (reserved: this version stops servers only through KSCloseServer and
 *   does not send it); sent to connections and the global callback.
 * KS_EVENT_SERVER_NOTICE (3) sent to every session of a database:
 *   KS_NOTICE_ROOT_TRANSACTION_CHANGED (112): a commit brought changes into a root transaction,
 *   or a root scenario's description changed; KS_NOTICE_ROOT_TRANSACTION_REMOVED (117): a root
 *   scenario was removed (KSRollback of a persistent transaction). values[0]: the root
 *   transaction's name (text; "Root" for the actual plan). Sessions working in other root
 *   transactions receive them too and tell them apart by the name.
 *   KS_NOTICE_SIGNAL_RAISED (106) and KS_NOTICE_SIGNAL_CHANGED (107), sent to the session that
 *   instantiated the signal (see Signals); values[0]: the signal's ID (integer).
 * KS_EVENT_SESSION_MESSAGE (5), code 0: the session's database was saved (values[0]: the
 *   archive path).
 * KS_EVENT_DATABASE_OFFLINE (6), code 0: the session's database was taken offline; the session
 *   stays valid for KSReleaseSession only (values[0]: the database name).
 * KS_EVENT_CLASS_TRIGGER (7), code KS_TRIGGER_INSERT (1), KS_TRIGGER_UPDATE (2) or
 *   KS_TRIGGER_DELETE (4): a commit inserted, changed or deleted a record of a class the
 *   session subscribed to (KSSubscribeToTableTriggers; the class or an ancestor), in the root
 *   transaction the session works in. One event per record, in record ID order, after the
 *   commit. values[0]: the record's own class name (text); values[1]: its ID (type 1); with
 *   values requested, then one value per stored field of the class (inherited first, link
 *   fields left out), each naming its field in KSField.name: the record after the change, or
 *   before it for a deletion. */
#define KS_EVENT_SERVER_SHUTDOWN 1
#define KS_EVENT_CONNECTION_LOST 2
#define KS_EVENT_SERVER_NOTICE 3
#define KS_EVENT_SESSION_MESSAGE 5
#define KS_EVENT_DATABASE_OFFLINE 6
#define KS_EVENT_CLASS_TRIGGER 7
#define KS_TRIGGER_INSERT 1
#define KS_TRIGGER_UPDATE 2
#define KS_TRIGGER_DELETE 4
#define KS_NOTICE_SHUTTING_DOWN 101
#define KS_NOTICE_DATABASES_CHANGED 102
#define KS_NOTICE_SERVER_STOPPED 105
#define KS_NOTICE_SIGNAL_RAISED 106
#define KS_NOTICE_SIGNAL_CHANGED 107
#define KS_NOTICE_ROOT_TRANSACTION_CHANGED 112
#define KS_NOTICE_ROOT_TRANSACTION_REMOVED 117

/* An error of a read-write transaction (KSGetLastErrors); 20 bytes. */
typedef struct KSErrorRecord {
  KSRecordID recordID; /* record the error concerns, -1 none */
  KSStatus code;       /* the error's status code */
  int16_t severity;    /* 0 warning, greater than 0 error */
  int16_t reserved;
  KSClassID classID; /* class of the record, -1 none */
  int32_t fieldIndex; /* field of the record, -1 none */
} KSErrorRecord;

/* The description of a signal argument (KSGetSignalArgsInfo). */
typedef struct KSSignalArgInfo {
  const char16_t* description;
  int32_t type;    /* KS_TYPE_*; 14 an array of record IDs */
  KSBool isArray;  /* 1 for type 14 too */
} KSSignalArgInfo;

/* One element of an argument array: an integer (types 1 to 4, 6 to 8, 10, 11), a double (5, 15)
 * or a text (9); 8 bytes. */
typedef union KSArgumentElement {
  int32_t asInteger;
  double asDouble;
  const char16_t* asString;
} KSArgumentElement;

/* An argument value passed to KSInstanciateSignal. A single value is `single` (type 13 when the
 * value is absent); an array has elementCount elements of elementType. See Signals. */
typedef struct KSArgumentValue {
  KSBool isArray;
  int32_t reserved;
  int32_t valueType; /* type of the single value; 0 for an array; 13 when absent */
  int32_t reserved2;
  union {
    int32_t asInteger;
    double asDouble;
    const char16_t* asString;
  } single;
  int32_t reserved3;
  int32_t reserved4;
  int32_t elementType;
  const KSArgumentElement* elements; /* elementCount entries */
  int32_t elementCount;
  int32_t reserved5;
} KSArgumentValue;

typedef void (*KSEventCallback)(const KSEventRecord* event, void* userData);
/* Commit progress: percentage 0..100, a text, whether the commit finished, the transaction. */
typedef void (*KSCommitProgressCallback)(int32_t percentage, const char16_t* text,
                                         KSBool finished, KSHandle transaction);

/* ---------------------------------------------------------------------------------------------
 * Library
 * ------------------------------------------------------------------------------------------- */

/* flag 1 selects UTF-16 strings (the only mode): KS_OK; 0: KS_ERR_NOT_SUPPORTED. */
KS_API KSStatus KSUseWideStrings(KSBool flag);

/* The number of handles of every kind that this process obtained and has not released yet
 * (connections, metas, sessions with their root transactions, transactions, objects, cursors,
 * signals, sort and condition handles):
 * lets a client check that it releases everything it obtains. */
KS_API int32_t KSGetOpenHandleCount(void);

/* Text of a status code (English; the session's language code is kept but texts are English).
 * handle: any handle or 0; flags: 0 the text alone, 1 the text preceded by "[code] ".
 * Unknown codes give "unknown status <code>". Never null. */
KS_API const char16_t* KSFormatMessage(KSHandle handle, KSStatus code, int32_t flags);

/* Text of an error record of a session's transaction: the status text, and with flags 1 the
 * record, class and field it concerns. Null for a bad session handle or a null record. */
KS_API const char16_t* KSFormatError(KSHandle session, const KSErrorRecord* error, int32_t flags);

/* Registers `callback` with `userData` for the events of `handle` (a server connection or a
 * session; 0: the global callback, which receives the server-level events of every server).
 * One registration per handle: a new one replaces the old. A null callback unregisters; once
 * that call has returned the old callback is never called again (unless the call is made from
 * inside a callback, in which case no later event reaches it). Callbacks run on the library's
 * event thread, one at a time. KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSRegisterEventCallback(KSHandle handle, KSEventCallback callback, void* userData);

/* ---------------------------------------------------------------------------------------------
 * Servers
 * ------------------------------------------------------------------------------------------- */

/* Connects to server `server` on `host` (the local computer name in any case, "localhost" or
 * "127.0.0.1"). The first connection of a process starts serving the server's directory and
 * holds its lock. When kestreld answers on the home's socket (or, for another host, as the
 * client configuration says), the connection goes through that daemon instead; a process once
 * served by the home's daemon is not served in-process while that daemon is gone
 * (KS_ERR_SERVER_NOT_AVAILABLE) and reaches it again once it runs. Returns a connection handle,
 * or 0 with KSGetLastConnectError giving KS_ERR_HOST_NOT_REACHABLE, KS_ERR_NO_SUCH_SERVER,
 * KS_ERR_SERVER_NOT_RUNNING, KS_ERR_SERVER_IN_USE, KS_ERR_SERVER_STATE,
 * KS_ERR_SERVER_NOT_AVAILABLE, KS_ERR_LOGON_FAILED (a daemon refused the token) or
 * KS_ERR_INVALID_ARGUMENT. */
KS_API KSHandle KSConnectServer(const char16_t* host, const char16_t* server);
/* Status of the last KSConnectServer of the calling thread (KS_OK after a success). */
KS_API KSStatus KSGetLastConnectError(void);
/* Releases a connection and the meta handles it gave; the server keeps running in the process
 * and sessions opened through the connection stay valid. KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSDisconnectServer(KSHandle server);
/* Stops the server: saves every online database with unsaved changes, marks the server stopped
 * in server.json, sends KS_NOTICE_SHUTTING_DOWN then KS_EVENT_SERVER_SHUTDOWN to every
 * connection and the global callback and KS_EVENT_CONNECTION_LOST to every session, and releases
 * the lock. Later connects answer KS_ERR_SERVER_NOT_RUNNING until `kestrel-admin start`; later
 * calls on its handles answer KS_ERR_SERVER_NOT_RUNNING. KS_OK, KS_ERR_INVALID_HANDLE,
 * KS_ERR_SERVER_NOT_RUNNING, KS_ERR_WRITE_FAILED (a database could not be saved; the server is
 * stopped all the same and that database's archive is unchanged). */
KS_API KSStatus KSCloseServer(KSHandle server);
KS_API KSStatus KSServerSetUserData(KSHandle server, void* userData);

/* ---------------------------------------------------------------------------------------------
 * Schemas (metas) and DB services
 * ------------------------------------------------------------------------------------------- */

/* Handles of the schemas the server serves, sorted by name, then version. Schema files with an
 * error are not served. Null with count 0 on failure or when there is none. The handles stay
 * valid until KSReleaseMeta or the connection's release. */
KS_API const KSHandle* KSGetAvailableMetas(KSHandle server, int32_t* count);
KS_API const char16_t* KSGetMetaName(KSHandle meta);
KS_API const char16_t* KSGetMetaVersion(KSHandle meta);
/* A meta handle for schema `name` in `version` (exact), or 0. */
KS_API KSHandle KSSearchMeta(KSHandle server, const char16_t* name, const char16_t* version);
KS_API KSStatus KSReleaseMeta(KSHandle meta);
KS_API KSStatus KSMetaSetUserData(KSHandle meta, void* userData);
/* Names of the schema's DB services, sorted; publicOnly 1 lists the public ones only. */
KS_API const char16_t* const* KSGetAvailableServices(KSHandle server, KSHandle meta,
                                                     int32_t* count, KSBool publicOnly);

/* ---------------------------------------------------------------------------------------------
 * Databases. S is a server connection, M a meta, N a database name.
 * ------------------------------------------------------------------------------------------- */

/* Names of the online databases of schema M, sorted. */
KS_API const char16_t* const* KSGetAvailableDatabases(KSHandle server, KSHandle meta,
                                                      int32_t* count);
/* Loads a dump: `path` is a .dmp file, or a directory (trailing '/' allowed) whose db.dmp is
 * loaded. The database is named after the file without ".dmp", or after the directory, and
 * keeps `path` as its archive. KS_OK, KS_ERR_FILE_NOT_FOUND, KS_ERR_DUMP_CORRUPT,
 * KS_ERR_DUMP_SCHEMA, KS_ERR_DATABASE_ONLINE, KS_ERR_INVALID_NAME, handle errors; on failure
 * nothing changes. */
KS_API KSStatus KSRestoreDBFromArchive(KSHandle server, KSHandle meta, const char16_t* path);
/* Writes the database to its archive atomically (temporary file, flush, rename): a failure
 * leaves the previous archive as it was. KS_OK, KS_ERR_NO_SUCH_DATABASE, KS_ERR_WRITE_FAILED,
 * KS_ERR_TRANSACTION_BUSY (from a commit's progress callback: the archive would hold half of
 * the commit). */
KS_API KSStatus KSSaveDB(KSHandle server, const char16_t* name);
/* Saves the database when it has unsaved changes (or its archive is missing), then takes it
 * offline (its sessions get KS_EVENT_DATABASE_OFFLINE). When the save fails the database stays
 * online and KS_ERR_WRITE_FAILED is answered. */
KS_API KSStatus KSShutdownDB(KSHandle server, const char16_t* name);
/* option 0: as KSShutdownDB; option 1: take it offline without saving; flag: with option 0,
 * 1 saves even when nothing changed. Other options: KS_ERR_INVALID_ARGUMENT. */
KS_API KSStatus KSShutdownDBEx(KSHandle server, const char16_t* name, int32_t option, KSBool flag);
/* Takes the database offline without saving; its archive stays. */
KS_API KSStatus KSDestroyDB(KSHandle server, const char16_t* name);
/* Creates an empty online database N of schema M with the user "system" (empty password,
 * administrator) and writes its archive databases/N.dmp. `language` is a three-letter code.
 * Refused, creating nothing: KS_ERR_INVALID_NAME (empty, contains '/' or '\', "." or ".."),
 * KS_ERR_DATABASE_ONLINE, KS_ERR_ARCHIVE_EXISTS, KS_ERR_INVALID_LANGUAGE, KS_ERR_WRITE_FAILED. */
KS_API KSStatus KSCreateEmptyDB(KSHandle server, KSHandle meta, const char16_t* name,
                                const char16_t* language);
/* Copies online database N as new online database newName with the archive
 * databases/newName.dmp, which is written at once. Refused as KSCreateEmptyDB. */
KS_API KSStatus KSCloneDB(KSHandle server, const char16_t* name, const char16_t* newName);
/* Writes the database in the text format described in kestrel/engine/AsciiFormat.h. */
KS_API KSStatus KSSaveDBToAsciiFile(KSHandle server, const char16_t* name, const char16_t* file);
/* Creates online database N of schema M from a text file (archive databases/N.dmp, written at
 * once); a text without SYSUser records gets the user "system" (empty password,
 * administrator). KS_ERR_ASCII_FORMAT names a malformed file; refused as KSCreateEmptyDB. */
KS_API KSStatus KSCreateDBFromAsciiFile(KSHandle server, KSHandle meta, const char16_t* name,
                                        const char16_t* file);
/* Creates online database N of schema M from a relational database: the SQLite file `first`
 * (relative paths are taken from the working directory). Tables fill the classes of the same
 * name, columns the fields of the same name (names compared without regard to case), and
 * single-column foreign keys the reference fields the schema declares, leading to the records
 * made from the rows they lead to; kestrel/engine/SqliteImport.h gives the whole mapping. The
 * database gets the user "system" (empty password, administrator) and its archive
 * databases/N.dmp, written at once. What could not be mapped (tables without a class, columns
 * without a field, values that do not fit their field, references that lead nowhere) is
 * listed in the import report, a text file named by `second` (empty or null:
 * databases/N.import.txt beside the archive), which stays for reading afterwards. The object
 * model's LoadFromRDBMS(first, second) passes its texts in this reversed order, so that its
 * first text, the source, arrives as `first`. KS_OK; refused as KSCreateEmptyDB; refused,
 * creating nothing: KS_ERR_FILE_NOT_FOUND (no such file), KS_ERR_IMPORT_SOURCE (not a readable
 * SQLite database), KS_ERR_WRITE_FAILED (the report or the archive cannot be written),
 * KS_ERR_DATABASE_FULL. */
KS_API KSStatus KSCreateDBFromRDBMS(KSHandle server, KSHandle meta, const char16_t* second,
                                    const char16_t* first, const char16_t* name);
/* Turns on the database's write-ahead journal in `file` (a relative path is taken from the
 * calling process's working directory; the format is described in kestrel/engine/Journal.h):
 * saves the database, then starts the journal, which KSGetFlags shows as bit 15. From then on
 * every change that a save would write (commits into the actual plan or a scenario, changes
 * made directly in a scenario, scenarios created, described and removed, log-on times,
 * repairs) is written to the journal and flushed to disk before the call that makes it
 * returns; when that write fails the call answers KS_ERR_WRITE_FAILED and changes nothing.
 * Every save starts the journal afresh. The server remembers the journal: when a process dies
 * before saving, the next start of the server loads the last saved dump and replays the
 * journal over it, up to its last complete entry. The file must be missing, empty or a journal
 * of this database; it is replaced. KS_OK (also when that journal is active already),
 * KS_ERR_NO_SUCH_DATABASE, KS_ERR_INVALID_ARGUMENT (an empty name), KS_ERR_NOT_A_JOURNAL,
 * KS_ERR_WRITE_FAILED (the database or the journal could not be written; a journal active
 * before stays active), KS_ERR_SERVER_STATE, KS_ERR_TRANSACTION_BUSY. */
KS_API KSStatus KSEnableJournal(KSHandle server, const char16_t* name, const char16_t* file);
/* Turns the journal off: saves the database when it has unsaved changes, so that nothing the
 * journal kept is lost, and stops journaling; the file stays as it is. `file` is not needed
 * (the active journal is meant whatever it says). KS_OK (also without a journal),
 * KS_ERR_NO_SUCH_DATABASE, KS_ERR_WRITE_FAILED (the journal stays on), KS_ERR_SERVER_STATE,
 * KS_ERR_TRANSACTION_BUSY. */
KS_API KSStatus KSDisableJournal(KSHandle server, const char16_t* name, const char16_t* file);
/* Approximate bytes held by the database; 0 when it is not online. */
KS_API int32_t KSGetDBMemoryUsage(KSHandle server, const char16_t* name);
/* Checks references (to missing records or records of a wrong class), index consistency and
 * records of unknown classes. level 0 reports; level -1 also repairs (dangling references set
 * null, unknown records removed, indexes rebuilt). The report has one line per finding, empty
 * when nothing is wrong; null when the database is not online or the level is neither 0 nor -1.
 * Repeated keys of unique indexes are reported but never repaired. */
KS_API const char16_t* KSCheckDatabaseIntegrity(KSHandle server, const char16_t* name,
                                                int32_t level);
/* "Root" followed by the persistent transactions (scenarios) of the database, in creation
 * order, whatever their visibility; rootOnly 1 lists "Root" and the root transactions (those
 * directly under Root) only. */
KS_API const char16_t* const* KSGetAvailableTransactions(KSHandle server, const char16_t* name,
                                                         KSBool rootOnly, int32_t* count);

/* ---------------------------------------------------------------------------------------------
 * Sessions
 * ------------------------------------------------------------------------------------------- */

/* Logs `user` on to online database `database` of schema `meta`, in the actual plan (empty or
 * null rootTransaction, or "Root") or in the named root transaction (a scenario directly under
 * Root that the user may see). Sets the user's lastLogin.
 * Returns a session handle, or 0 with KSGetLastSessionError giving KS_ERR_LOGON_FAILED (unknown
 * user or wrong password alike), KS_ERR_NO_SUCH_DATABASE, KS_ERR_NO_SUCH_TRANSACTION or a handle
 * error. */
KS_API KSHandle KSCreateSession(KSHandle server, const char16_t* user, const char16_t* password,
                                const char16_t* database, KSHandle meta,
                                const char16_t* rootTransaction);
KS_API KSStatus KSGetLastSessionError(void);
/* Releases the session with every transaction and object handle it gave (plain transactions'
 * changes are dropped, scenarios stay). KS_OK, KS_ERR_INVALID_HANDLE, KS_ERR_TRANSACTION_BUSY
 * (from a commit's progress callback). */
KS_API KSStatus KSReleaseSession(KSHandle session);
KS_API KSStatus KSSessionSetUserData(KSHandle session, void* userData);
/* A three-letter code of letters ("ENU"); kept, texts stay English. KS_ERR_INVALID_LANGUAGE. */
KS_API KSStatus KSChangeSessionLanguage(KSHandle session, const char16_t* languageCode);
/* One text per session on the session's database, "user (host)", in logon order.
 * includeSelf: list the calling session too; allPlans: list sessions of every plan, else only
 * those working in the same plan (actual plan or root transaction) as the caller. */
KS_API const char16_t* const* KSGetConnectedUsers(KSHandle session, KSBool includeSelf,
                                                  KSBool allPlans, int32_t* count);
/* The session's root transaction (valid until the session's release; never released alone). */
KS_API KSHandle KSGetRootTrn(KSHandle session);
/* Flags of a transaction's database: KS_FLAG_JOURNAL_ACTIVE. 0 for a bad handle. */
KS_API int32_t KSGetFlags(KSHandle transaction);

/* ---------------------------------------------------------------------------------------------
 * Metadata (every class is named by its name; the answers follow the session's schema)
 * ------------------------------------------------------------------------------------------- */

KS_API const char16_t* KSGetClassName(KSHandle session, KSClassID classID); /* null: unknown */
KS_API KSClassID KSGetClassID(KSHandle session, const char16_t* className); /* -1: unknown */
/* Name of the base class, or null for a class without one or an unknown class. */
KS_API const char16_t* KSGetBaseClass(KSHandle session, const char16_t* className);
/* Whether className is parentName or descends from it. */
KS_API KSBool KSIsDescendentOf(KSHandle session, const char16_t* parentName,
                               const char16_t* className);
/* Names of every class (system classes included), sorted. */
KS_API const char16_t* const* KSGetTableNames(KSHandle session, int32_t* count);
/* The indexes that order a cursor on the class (KSCreateCursor): the global indexes defined on
 * the class or inherited from its ancestors, in definition order, then the link indexes that
 * lead to the class or an ancestor (their key fields are fields of the class). */
KS_API const char16_t* const* KSGetGlobalIndexes(KSHandle session, const char16_t* className,
                                                 int32_t* count);
/* Fields of a global or link index of the class. withLinkedClass 1: a link index answers its
 * link field followed by the key fields of the linked class; 0: the key fields alone. */
KS_API const char16_t* const* KSGetIndexFields(KSHandle session, const char16_t* className,
                                               const char16_t* indexName, KSBool withLinkedClass,
                                               int32_t* count);
/* Field descriptions of the class; inherited 1 includes those of the ancestors (first). */
KS_API const KSFieldDescription* KSGetFields(KSHandle session, const char16_t* className,
                                             KSBool inherited, int32_t* count);
/* Direct subclasses, in definition order. */
KS_API const char16_t* const* KSGetDescendents(KSHandle session, const char16_t* className,
                                               int32_t* count);
KS_API int32_t KSGetClassFlags(KSHandle session, const char16_t* className); /* KS_CLASS_*; -1 */
/* Text of `value` in value list `listID`; null when either is unknown. */
KS_API const char16_t* KSGetValueListText(KSHandle session, int32_t listID, int32_t value);
/* Access to the class in the actual plan / in named root transactions; 3 for an unknown class. */
KS_API int32_t KSGetClassRootAccess(KSHandle session, const char16_t* className);
KS_API int32_t KSGetClassVersionAccess(KSHandle session, const char16_t* className);
/* Access to a DB service: 0 not allowed, 1 allowed, in the actual plan and in root
 * transactions. KS_OK, KS_ERR_NO_SUCH_SERVICE, KS_ERR_INVALID_ARGUMENT. */
KS_API KSStatus KSGetServiceAccess(KSHandle session, const char16_t* service, int32_t* rootAccess,
                                   int32_t* versionAccess);
/* The default value of a field (owned by the library), or null when it has none. */
KS_API const KSField* KSGetFieldDefaultValue(KSHandle session, const char16_t* className,
                                             const char16_t* fieldName);
/* Names of the schema's signal definitions, sorted. */
KS_API const char16_t* const* KSGetAvailableSignals(KSHandle session, int32_t* count);
/* Class triggers: the session receives KS_EVENT_CLASS_TRIGGER for records of the class and
 * its subclasses that commits insert (mask 1), change (2) or delete (4) in the root transaction
 * the session works in; withValues 1 adds the record's values to each event. A new subscription
 * of the class replaces the old; unsubscribing a class not subscribed changes nothing. KS_OK,
 * KS_ERR_NO_SUCH_CLASS, KS_ERR_INVALID_ARGUMENT (mask 0 or other bits), session statuses. */
KS_API KSStatus KSSubscribeToTableTriggers(KSHandle session, const char16_t* className,
                                           int32_t mask, KSBool withValues);
KS_API KSStatus KSUnsubscribeToTableTriggers(KSHandle session, const char16_t* className);

/* ---------------------------------------------------------------------------------------------
 * Transactions.
 *
 * A transaction sees its parent's view with its own changes (inserted, changed and deleted
 * records; link changes are changes of records) layered over it; it never sees another
 * transaction's uncommitted changes. The session's root transaction (KSGetRootTrn) stands for
 * the actual plan (named "Root") or for the root scenario the session logged on to; it changes
 * nothing itself (KS_ERR_READ_ONLY for writes, KSCommit and KSRollback): its children commit
 * into the database (marking it modified) or into that scenario.
 *
 * Scenarios are persistent transactions: name, parent ("Root" or another scenario), owner
 * (the user who started it), visibility, description, start date and changes are kept with
 * the database, survive the release of every handle, are stored in the dump, are listed by
 * KSGetAvailableTransactions, are found again by KSFindTransaction and can be a session's
 * root (those directly under Root). Each has a row in _DBTransaction (name, isPrivate,
 * isProtected, isVersion, userName, StartDate, Description, parentP leading to the parent's
 * row; the link index childrenPV lists a row's children) that the library keeps in step:
 * creating a scenario adds it, KSSetDescription updates it, KSRollback removes it.
 * _DBTransaction is read-only for transactions. A private scenario (0x1000) is seen by its
 * owner only; a protected one (0x2000) may be changed, described, committed into and removed
 * by its owner only: other users find it read-only. User names compare without regard to case.
 *
 * Versions and conflicts: every write of a record gets a new commit sequence number, its
 * version. A transaction remembers the version its parent showed of a record when it first
 * read it (KSGetObject) or changed it; KSCommit fails with KS_ERR_COMMIT_CONFLICT when a record
 * it changed shows another version in the parent by now. Versions are kept while the database
 * is online: after a reload a scenario's changes carry none and cannot conflict.
 *
 * Access: a class's access in the transaction's plan (root access in the actual plan, version
 * access inside a scenario; KSGetClassRootAccess / KSGetClassVersionAccess) decides: 1 lets it
 * insert, change and delete records, 2 only insert (and change what it inserted itself), 0 and
 * 3 nothing; fields likewise by their own access; link fields change only through
 * KSCreateNewLink / KSDestroyLink. A schema class may name a boolean protect field: a record
 * whose field is true cannot be deleted and only that field can be changed. Refusals answer
 * KS_ERR_ACCESS_DENIED (1037).
 * ------------------------------------------------------------------------------------------- */

/* Starts a child of `parent` (any transaction handle, the root included). flags: 0x100
 * persistent (a scenario named `name`; the parent must be a root or a scenario), 0x200
 * read-only, 0x400 without / 0x800 with intent to commit (recorded, not enforced; not both),
 * 0x1000 / 0x2000 scenario visibility private / protected (with 0x100 only; not both). `name`
 * names a scenario (not empty, not "Root", not taken) and is free text otherwise. A child of a
 * read-only transaction, or of a scenario protected against the user, is read-only whatever
 * was asked. Returns the new handle, released with the parent, or 0: then
 * KSGetStartTransactionError(parent) tells KS_ERR_INVALID_ARGUMENT, KS_ERR_TRANSACTION_EXISTS,
 * KS_ERR_NO_SUCH_TRANSACTION (a scenario below was removed), KS_ERR_TRANSACTION_BUSY or a
 * handle status. */
KS_API KSHandle KSStartTransaction(KSHandle parent, int32_t flags, const char16_t* name);
/* Given a transaction: the status of its start, KS_OK, or KS_READ_ONLY_GRANTED when read-write
 * was asked for and it was started read-only. Given a parent after a failed start: the reason
 * (KS_OK after a successful one). KS_ERR_INVALID_HANDLE for anything else. */
KS_API KSStatus KSGetStartTransactionError(KSHandle transaction);
/* A new handle on the persistent transaction `name` of the session's database visible to the
 * session's user ("Root": the actual plan, which changes nothing itself like a root), released
 * with the session or by KSReleaseTransaction; 0 when there is none. */
KS_API KSHandle KSFindTransaction(KSHandle session, const char16_t* name);
/* Releases the handle with its child transactions and objects, and any lock it holds. A plain
 * transaction's changes are dropped; a scenario keeps them. The session's root is released
 * with its session only: KS_ERR_INVALID_ARGUMENT. KS_OK, KS_ERR_INVALID_HANDLE,
 * KS_ERR_TRANSACTION_BUSY. */
KS_API KSStatus KSReleaseTransaction(KSHandle transaction);
/* Drops the transaction's changes and locks; it stays open over its parent's view. A scenario
 * is removed altogether, with its descendant scenarios and their rows (its handles and those
 * of sessions working in it answer KS_ERR_NO_SUCH_TRANSACTION from then on); a root scenario's
 * removal sends KS_NOTICE_ROOT_TRANSACTION_REMOVED. KS_OK, KS_ERR_READ_ONLY (a root),
 * KS_ERR_ACCESS_DENIED (a protected scenario of another user), KS_ERR_TRANSACTION_BUSY, handle
 * and database statuses. */
KS_API KSStatus KSRollback(KSHandle transaction);
/* Merges the changes into the parent (under the actual plan into the database, marking it
 * modified), all or nothing: first the conflict check, then the validation (see
 * KSGetLastErrors), then the merge. flags: 0, or 1 (krapicfWithRestart): a conflict drops the
 * changes and the transaction goes on over the parent's new state. reserved: 0.
 * With a callback and callbackFlag 1 the work runs on a thread of the library while the caller
 * waits without holding the library's lock; the callback is called on that thread with the
 * percentage (0..100, rising), a text, the finished flag (set on the last call only, whatever
 * the outcome) and the transaction's handle. It may call KS functions (they run in the
 * commit's thread); changes of the committing database from it answer
 * KS_ERR_TRANSACTION_BUSY. A commit started from inside a callback runs on the calling thread.
 * After a commit that reached the actual plan or a root scenario the sessions receive class
 * triggers, then KS_NOTICE_ROOT_TRANSACTION_CHANGED. Answers KS_OK (also when there was
 * nothing to commit), KS_COMMITTED_WITH_WARNINGS, KS_ERR_COMMIT_ERRORS and
 * KS_ERR_COMMIT_CONFLICT (changes kept unless restarted), KS_ERR_LOCKED (a record of a class
 * another session locked), KS_ERR_ACCESS_DENIED (into a scenario protected against the user),
 * KS_ERR_READ_ONLY (a root), KS_ERR_TRANSACTION_BUSY, KS_ERR_INVALID_ARGUMENT, handle and
 * database statuses. The transaction stays open after every outcome. */
KS_API KSStatus KSCommit(KSHandle transaction, int32_t flags, int32_t reserved,
                         KSCommitProgressCallback callback, KSBool callbackFlag);
KS_API KSStatus KSTransactionSetUserData(KSHandle transaction, void* userData);
/* The user data stored on the handle; null for none or a bad handle. */
KS_API void* KSTransactionGetUserData(KSHandle transaction);
/* Changes a scenario's description and its row; for a root scenario the sessions receive
 * KS_NOTICE_ROOT_TRANSACTION_CHANGED. A null text empties it. KS_OK, KS_ERR_INVALID_ARGUMENT
 * (not a scenario), KS_ERR_ACCESS_DENIED, KS_ERR_TRANSACTION_BUSY, handle statuses. */
KS_API KSStatus KSSetDescription(KSHandle transaction, const char16_t* description);
/* The findings of the transaction's last KSCommit, `count` 20-byte records in record order
 * (null with count 0 when there are none; cleared by the next KSCommit and by KSRollback).
 * Errors (severity 1) blocked the commit: KS_ERR_REQUIRED_FIELD, KS_ERR_DANGLING_REFERENCE,
 * KS_ERR_WRONG_CLASS, KS_ERR_DUPLICATE_KEY (a unique global index; keys with a null field are
 * not compared), KS_ERR_DELETE_REFERENCED (a deleted record something still refers to),
 * KS_ERR_ACCESS_DENIED (a record protected meanwhile), KS_ERR_COMMIT_CONFLICT (without
 * restart). Warnings (severity 0) do not: KS_WARN_NOT_IN_VALUE_LIST, KS_WARN_TEXT_TOO_LONG.
 * The records stay valid until the next KSCommit or KSRollback of the handle or its release. */
KS_API const KSErrorRecord* KSGetLastErrors(KSHandle transaction, int32_t* count);
/* Write locks. mode 1 takes the lock for the transaction: transactions of other sessions may
 * not change records of the database (KSLockDatabase) or of the class and its subclasses
 * (KSLockTable) meanwhile: their writes and commits answer KS_ERR_LOCKED. Reading stays free,
 * and so does the own session. mode 0 releases it; a lock also ends with the transaction's
 * commit, rollback or release. object: 0. KS_OK, KS_ERR_LOCKED (another session holds an
 * overlapping lock), KS_ERR_READ_ONLY, KS_ERR_NO_SUCH_CLASS, KS_ERR_INVALID_ARGUMENT (another
 * mode or object), handle statuses. */
KS_API KSStatus KSLockDatabase(KSHandle transaction, KSHandle object, int32_t mode);
KS_API KSStatus KSLockTable(KSHandle transaction, KSHandle object, int32_t mode,
                            const char16_t* className);
/* Links record id2 to record id1 through the type-14 field `fieldName` of id1's class, or
 * removes that link. A field with a back reference (a link index with "via") sets or clears
 * id2's reference to id1 (moving id2 from another record); a stored link field keeps a list in
 * id1 (linking twice changes nothing). KS_OK, KS_ERR_NO_SUCH_RECORD, KS_ERR_NO_SUCH_FIELD,
 * KS_ERR_INVALID_ARGUMENT (not a link field), KS_ERR_WRONG_CLASS (id2 not of the field's
 * class), KS_ERR_NOT_LINKED (KSDestroyLink), and the write refusals. */
KS_API KSStatus KSCreateNewLink(KSHandle transaction, KSRecordID id1, const char16_t* fieldName,
                                KSRecordID id2);
KS_API KSStatus KSDestroyLink(KSHandle transaction, KSRecordID id1, const char16_t* fieldName,
                              KSRecordID id2);
/* Deletes every record of the class and its subclasses that the transaction sees and that
 * satisfies the condition (0: every record), all or nothing; `count` gets the number. The
 * condition stays the caller's. KS_OK, KS_ERR_NO_SUCH_CLASS, KS_ERR_DELETE_REFERENCED (a record
 * outside the deleted ones refers to one of them), KS_ERR_ACCESS_DENIED,
 * KS_ERR_INVALID_ARGUMENT (null count), KS_ERR_INVALID_HANDLE (a bad condition), the statuses of
 * a condition that does not fit the class (see Conditions), and the write refusals. */
KS_API KSStatus KSDestroyAll(KSHandle transaction, const char16_t* className, KSHandle condition,
                             int32_t* count);

/* Objects: one record reached by its ID through a transaction. Write refusals of every call
 * that changes records: KS_ERR_READ_ONLY, KS_ERR_LOCKED, KS_ERR_ACCESS_DENIED,
 * KS_ERR_TRANSACTION_BUSY. */
/* An object handle on the record as the transaction sees it (released with the transaction);
 * 0 when it does not see one. Counts as the transaction's first read of the record. */
KS_API KSHandle KSGetObject(KSHandle transaction, KSRecordID id);
/* The record's class name; null when the transaction no longer sees it. */
KS_API const char16_t* KSGetObjectTable(KSHandle object);
KS_API KSStatus KSReleaseObject(KSHandle object);
/* Deletes the record in the object's transaction. KS_OK, KS_ERR_DELETE_REFERENCED (another
 * record refers to it through a reference or a link), KS_ERR_NO_SUCH_RECORD, write refusals. */
KS_API KSStatus KSDestroyObject(KSHandle object);
/* Fills values[0..count) with the named fields, each with its type, its value (null values as
 * described at KSField) and its name. Fields are named by path as in a cursor's field list (see
 * Conditions and sort handles): stored fields, "id" (the record ID, type 1), paths through
 * references, link fields (the number of linked records, type 14) and "Count()" (1). Texts and
 * blobs stay valid until the next call on the object. KS_OK, KS_ERR_NO_SUCH_FIELD,
 * KS_ERR_ACCESS_DENIED (a field invisible in the transaction's plan, such as a user's password
 * hash), KS_ERR_NO_SUCH_RECORD, KS_ERR_INVALID_ARGUMENT (null arrays, negative count). */
KS_API KSStatus KSGetValues(KSHandle object, const char16_t* const* fieldNames, int32_t count,
                            KSField* values);
/* Writes count values, each naming its field in `name`, all or nothing. A value's type must be
 * its field's (type 1 is taken for a reference too); a type's null value stores null.
 * KS_OK, KS_ERR_NO_SUCH_FIELD, KS_ERR_INVALID_ARGUMENT (no name, a type that does not fit),
 * KS_ERR_NO_SUCH_RECORD, write refusals. */
KS_API KSStatus KSSetValues(KSHandle object, const KSField* values, int32_t count);

/* ---------------------------------------------------------------------------------------------
 * Conditions and sort handles
 *
 * Field paths. Conditions, sort handles and cursor field lists name fields of the cursor's (or
 * condition's) class by path, resolved when the cursor is made or the condition used:
 * - a stored field ("name"); names match exactly, else without regard to the case of a-z;
 * - "id" (any case): the record ID (type 1);
 * - a path through reference fields ("customerP.name", "customerP.id"): the referenced
 *   record's field; it reads as the null value when a reference on the way is null;
 * - a link field ("ordersPV"): the number of linked records (type 14), and "ordersPV.Count()"
 *   the same number as type 8;
 * - "Count()": the number of records a row stands for (type 8): 1, or for a row of a cursor with
 *   distinct fields the number of records that share its distinct values;
 * - "[Class].path": the path on a subclass (or ancestor) of the class; records not of that class
 *   read it as the null value.
 * Values read as a client reads them: nulls as their type's null value (see KSField). A path
 * that leads to no field answers KS_ERR_NO_SUCH_FIELD; one that names a field or class
 * invisible in the transaction's plan (access 3) KS_ERR_ACCESS_DENIED.
 *
 * Conditions are made without a class and never change; the class that uses them resolves
 * their paths. A condition handle is the caller's until KSReleaseCondition, except that
 * KSMakeANDConditions, KSMakeORConditions and KSMakeContainsFieldAsCondition take over the
 * handles they are given (those handles are released when the new condition is made; when it is
 * not made, nothing is taken). Sort and condition handles belong to no session and count in
 * KSGetOpenHandleCount until released.
 * ------------------------------------------------------------------------------------------- */

/* A new, empty sort handle (no sort, distinct fields or filter), or 0 when no handle is left. */
KS_API KSHandle KSGetNewSortHandle(void);
/* KS_OK, KS_ERR_INVALID_HANDLE. Cursors made with the handle are not affected. */
KS_API KSStatus KSReleaseSortHandle(KSHandle sort);
/* Makes `condition` the filter of cursors made with the handle (0: no filter, every record).
 * The handle keeps its own share of the condition: the caller still releases its handle. The
 * condition's fields are resolved, and its faults reported, when a cursor is made.
 * KS_OK, KS_ERR_INVALID_HANDLE (a bad sort or condition handle). */
KS_API KSStatus KSSetFilterCondition(KSHandle sort, KSHandle condition);
/* Adds a sort field (a path), ascending or (descending 1) descending; several fields order one
 * after the other, and the record ID orders what they leave equal. Texts order by their UTF-16
 * code units (case-sensitive); numbers by value; nulls as their type's null value. The name is
 * resolved when a cursor is made. KS_OK, KS_ERR_INVALID_HANDLE, KS_ERR_INVALID_ARGUMENT (an
 * empty name). */
KS_API KSStatus KSAddSortField(KSHandle sort, const char16_t* fieldName, KSBool descending);
/* Adds a distinct field (a path): of the rows whose distinct fields read alike only the first
 * in the cursor's order stays, standing for the others ("Count()" tells for how many records).
 * KS_OK, KS_ERR_INVALID_HANDLE, KS_ERR_INVALID_ARGUMENT (an empty name). */
KS_API KSStatus KSAddDistinctField(KSHandle sort, const char16_t* fieldName);
/* A comparison: field <op> target, op 0 <, 1 <=, 2 =, 3 <>, 4 >=, 5 >.
 * target 0: the field is compared with *value, whose type tells its kind (numbers of every
 *   integer and floating type compare with each other; texts with texts, case-sensitive; blobs
 *   with blobs). A type's null value finds the nulls of that type (see KSField).
 * target 1: value is a text holding a regular expression (ICU syntax, on UTF-16), compiled once
 *   here; op 2 means the field's text matches it, op 3 that it does not. It matches when it is
 *   found anywhere in the text; ^ and $ anchor it at the start and end. The field must be a
 *   text. Case matters unless the expression says otherwise ("[aA]", "(?i)").
 * target 2: value is a text naming another field (a path) of the same record to compare with.
 * The value is copied. Answers the condition's handle, or 0 for a null or empty field name, a
 * null value, a value type that holds no value (0, 12, 13), op or target out of range.
 * Faults found here make a condition that every use refuses: KS_ERR_INVALID_PATTERN (an
 * expression that does not compile), KS_ERR_INVALID_ARGUMENT (an expression with another op
 * than 2 or 3, or a target 1 or 2 whose value is not a text). Faults found when a class uses
 * it: KS_ERR_NO_SUCH_FIELD / KS_ERR_ACCESS_DENIED (a path), KS_ERR_INVALID_ARGUMENT (a value
 * or field of another kind than the field, an expression on a field that is not a text). An
 * expression that runs for about a second on one text gives up: the use answers
 * KS_ERR_INVALID_PATTERN. */
KS_API KSHandle KSMakeNewCondition(const char16_t* fieldName, int32_t op, const KSField* value,
                                   int32_t target);
/* Both conditions hold / either holds. A 0 handle stands for no condition: with one 0 operand
 * the result is (a new handle of) the other one; both 0 answer 0. Takes the given handles over.
 * 0 when a handle is bad (nothing is taken over). */
KS_API KSHandle KSMakeANDConditions(KSHandle left, KSHandle right);
KS_API KSHandle KSMakeORConditions(KSHandle left, KSHandle right);
/* Through the link field `indexName` of the class (a link index, type 14): mode 0, some linked
 * record satisfies `condition`; mode 1, every linked record does (so that a record without
 * linked records satisfies it). `condition` applies to the linked class; 0 means any linked
 * record. Takes the condition handle over. 0 for an empty name or a bad handle. A name that is
 * no link field of the class using it answers KS_ERR_NO_SUCH_INDEX there. */
KS_API KSHandle KSMakeContainsFieldAsCondition(const char16_t* indexName, KSHandle condition,
                                               KSBool mode);
/* KS_OK, KS_ERR_INVALID_HANDLE (also for a handle taken over by a combination). */
KS_API KSStatus KSReleaseCondition(KSHandle condition);

/* ---------------------------------------------------------------------------------------------
 * Cursors. A cursor shows rows of one class and its subclasses as its transaction sees them
 * (with the transaction's own uncommitted changes, never another transaction's), or the records
 * linked to a parent record (KSCreateChildCursor); each row is one record. Values are exchanged
 * as arrays of KSField in the order of the cursor's field list, each naming its field (the
 * path as given) and holding its type's null value for a null (see KSField).
 *
 * Rows and values. Which records are rows, and in which order, is fixed when the cursor is made
 * (filtered, sorted and made distinct once) and then follows the cursor's own inserts, changes
 * and deletions. Values are read when a row is read, so changes made elsewhere show in them; a
 * row whose record the transaction no longer sees is stepped over (and leaves the count) when a
 * step meets it. Records added elsewhere show in a cursor made later.
 *
 * Order: the sort fields, then the key fields of the index (KSGetGlobalIndexes lists those of a
 * class; a child cursor's link index orders it too), then the record ID. A link index without
 * key fields keeps the order of a stored link list.
 *
 * Positions: a new cursor stands before its first row. Steps that run off an end leave it
 * before the first row (status KS_BEGIN_OF_TABLE) or after the last (KS_END_OF_TABLE); record
 * steps answer KS_NO_FURTHER_RECORD (-4) for both. Positions of rows (sequences) count from 0.
 *
 * Fetch buffer: rows are read ahead, KSSetFetchBuffer rows at a time (1 at first), in the
 * direction of travel, and steps onto rows already read cost no reading (a remote client needs
 * one round trip per buffer). Rows read are read again after any change of the data.
 *
 * Texts and blobs in returned values stay valid until the next call on the cursor. A cursor is
 * released with its transaction (and session); its handle then answers KS_ERR_INVALID_HANDLE.
 * Write refusals of every call that changes records: KS_ERR_READ_ONLY, KS_ERR_LOCKED,
 * KS_ERR_ACCESS_DENIED, KS_ERR_TRANSACTION_BUSY.
 * ------------------------------------------------------------------------------------------- */

/* A cursor on the class `className` (with its subclasses) in the transaction, with `fieldCount`
 * fields (paths; they may repeat, and the list may be longer than the class; at most 4096),
 * ordered by `indexName` (empty or null: none) after the sort fields, and filtered, sorted and
 * made distinct as the sort handle says (0: none; the cursor takes a copy). Returns the cursor's
 * handle, released with the transaction, or 0; then KSGetLastCursorError tells why. */
KS_API KSHandle KSCreateCursor(KSHandle transaction, const char16_t* className,
                               const char16_t* const* fields, int32_t fieldCount,
                               const char16_t* indexName, KSHandle sort);
/* A cursor on the records that record `parentID` links through its link field `indexName` (a
 * link index of the parent's class): those whose back reference leads to it, or those of its
 * stored list. childClass: empty or null for the link's class, else that class (the rows are
 * the linked records of it or its subclasses). Ordered by the link index's key fields after the
 * sort fields. Inserts through it link the new record to the parent. 0 on failure, as
 * KSCreateCursor. */
KS_API KSHandle KSCreateChildCursor(KSRecordID parentID, KSHandle transaction,
                                    const char16_t* indexName, const char16_t* childClass,
                                    const char16_t* const* fields, int32_t fieldCount,
                                    KSHandle sort);
/* The status of the calling thread's last KSCreateCursor or KSCreateChildCursor: KS_OK after
 * a success; KS_ERR_INVALID_HANDLE (transaction or sort handle), KS_ERR_INVALID_ARGUMENT (a
 * negative or too long field count, a null field list or name), KS_ERR_NO_SUCH_INDEX (the index
 * does not order the class; for a child cursor: no link index of the parent's class),
 * KS_ERR_NO_MASTER_RECORD (a child cursor with parentID -1), the statuses of paths and
 * conditions (see Conditions), transaction and database statuses, and KS_ERR_NO_SUCH_CLASS when
 * the cursor would have nothing to show: the class does not exist or is invisible in the
 * transaction's plan (access 3), or a child cursor's parent record is not seen by the
 * transaction (deleted meanwhile). */
KS_API KSStatus KSGetLastCursorError(void);
/* KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSReleaseCursor(KSHandle cursor);
/* Stores the caller's pointer on the handle. KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSCursorSetUserData(KSHandle cursor, void* userData);
/* Rows read ahead at a time, 1 to 100000. KS_OK, KS_ERR_INVALID_ARGUMENT, handle statuses. */
KS_API KSStatus KSSetFetchBuffer(KSHandle cursor, int32_t records);
/* The number of rows (counting the rows' IDs only; no record is read); -1 for a bad handle. */
KS_API int32_t KSGetCount(KSHandle cursor);
/* Onto the first / last row: KS_OK; with no rows KS_END_OF_TABLE / KS_BEGIN_OF_TABLE. */
KS_API KSStatus KSGotoFirst(KSHandle cursor);
KS_API KSStatus KSGotoLast(KSHandle cursor);
/* Onto the next / previous row: KS_OK, or KS_END_OF_TABLE after the last / KS_BEGIN_OF_TABLE
 * before the first (the cursor then stands there; a further step answers the same). */
KS_API KSStatus KSGotoNext(KSHandle cursor);
KS_API KSStatus KSGotoPrevious(KSHandle cursor);
/* Onto the row at `position` (0 the first): KS_OK; KS_BEGIN_OF_TABLE for a negative position,
 * KS_END_OF_TABLE for one at or beyond the count (the cursor stays). */
KS_API KSStatus KSGoto(KSHandle cursor, int32_t position);
/* Onto the record's row: KS_OK, or KS_ERR_NO_SUCH_RECORD (the cursor stays). */
KS_API KSStatus KSGotoRecordID(KSHandle cursor, KSRecordID id);
/* Onto the first row in the cursor's order that satisfies the condition (0: the first row):
 * KS_OK, or KS_END_OF_TABLE when none does (the cursor stays); KS_ERR_INVALID_HANDLE for a bad
 * condition, and the statuses of a condition that does not fit the class (see Conditions).
 * The condition stays the caller's. */
KS_API KSStatus KSGotoFirstMatch(KSHandle cursor, KSHandle condition);
/* Fills values[0..field count) with the current row: KS_OK; KS_BEGIN_OF_TABLE /
 * KS_END_OF_TABLE when the cursor stands before the first / after the last row;
 * KS_ERR_NO_SUCH_RECORD when the row's record is gone; KS_ERR_INVALID_ARGUMENT (null values
 * with a field list). */
KS_API KSStatus KSGetCurrentValues(KSHandle cursor, KSField* values);
/* One step forward / back, then the values of the row reached: KS_OK, or KS_NO_FURTHER_RECORD
 * (-4) when the step runs off the end (the cursor then stands after the last / before the first
 * row); statuses as KSGetCurrentValues. */
KS_API KSStatus KSGetNextRecord(KSHandle cursor, KSField* values);
KS_API KSStatus KSGetPreviousRecord(KSHandle cursor, KSField* values);
/* The current row's position (0 the first), -1 off the rows and for a bad handle. */
KS_API int32_t KSGetCurrentRecordPos(KSHandle cursor);
/* The current row's record ID, -1 off the rows and for a bad handle. */
KS_API KSRecordID KSGetCurrentRecordID(KSHandle cursor);
/* Inserts a record of the cursor's class (a child cursor's: linked to its parent) and puts its
 * ID into *newID. Value i names its field by fieldNames[i] when fieldNames is given, else by
 * values[i].name, else it is the cursor's field i; fields not given take their defaults. Only
 * stored fields of the class that the plan lets an insert give (access 1 or 2) may be named;
 * a type's null value stores null. KS_OK: the cursor stands on the new row in its place in the
 * order. KS_RECORD_NOT_IN_CURSOR (-11): the record was created (with *newID) but the filter
 * does not show it, or a distinct row stands for it; the cursor stays. Refused, creating
 * nothing (*newID -1): KS_ERR_DUPLICATE_KEY (another record has its key in a unique global
 * index), KS_ERR_NO_SUCH_FIELD, KS_ERR_ACCESS_DENIED (a path, pseudo or link field, a field
 * the plan does not let an insert give), KS_ERR_INVALID_ARGUMENT (a value of another type,
 * null arrays, a negative count, an unnamed value beyond the field list, a class without records
 * of its own), and the write refusals. */
KS_API KSStatus KSInsertNewRecord(KSHandle cursor, const KSField* values, int32_t count,
                                  const char16_t* const* fieldNames, KSRecordID* newID);
/* Writes count values into the current row's record, all or nothing; values are named as by
 * KSInsertNewRecord without fieldNames. Count 0 writes nothing (KS_OK). The row moves to its
 * place in the order, or leaves the rows when the filter no longer shows it (the cursor then
 * stands on the row that followed). KS_OK, KS_BEGIN_OF_TABLE / KS_END_OF_TABLE (off the rows),
 * KS_ERR_DUPLICATE_KEY, the refusals of KSSetValues. */
KS_API KSStatus KSSetCurrentValues(KSHandle cursor, const KSField* values, int32_t count);
/* Deletes the current row's record; the cursor stands on the row that followed, else on the new
 * last row (before the first when none is left). KS_OK, KS_ERR_DELETE_REFERENCED (1033: another
 * record refers to it), KS_ERR_ACCESS_DENIED (1037: class access or record protection),
 * KS_BEGIN_OF_TABLE / KS_END_OF_TABLE (off the rows), write refusals. */
KS_API KSStatus KSDeleteCurrentRecord(KSHandle cursor);
/* Compares the rows of two records: 1 id1's row comes first, 2 the same row, 3 id1's row comes
 * after; 0 when either record is no row of the cursor, or for a bad handle. */
KS_API int32_t KSCursorIDCompare(KSHandle cursor, KSRecordID id1, KSRecordID id2);

/* ---------------------------------------------------------------------------------------------
 * Signals. A schema defines signals (KSGetAvailableSignals): each names a class, a condition on
 * its records and the arguments the condition takes (the schema format is described in
 * kestrel/README.md). A session instantiates a definition with argument values; the instance
 * belongs to the session, is released with it and is never seen by other sessions. An
 * instance is raised while at least one record of its class (or a subclass) satisfies its
 * condition in the committed state of the session's plan: the committed data for the actual
 * plan, the root scenario's state for a session working in one. Uncommitted changes of
 * transactions are never seen.
 *
 * Evaluation: the library's signal thread evaluates every instance that is not suspended once
 * per check interval (seconds), counted from its instantiation, its last resumption or the last
 * change of its interval; KSEvaluateSignalNow evaluates at once. When an evaluation finds the
 * instance raised after it was not, and the instance sends events (KSSetSignalSendEvent; off
 * at instantiation), the session's callback receives KS_EVENT_SERVER_NOTICE with
 * KS_NOTICE_SIGNAL_RAISED; when it was raised and now is not, or stays raised with other records
 * satisfying it, KS_NOTICE_SIGNAL_CHANGED; values[0] is the instance's ID (integer). The first
 * evaluation compares with "not raised". Instances of sessions whose database went offline or
 * whose server stopped are not evaluated. Every instance has an ID, unique in the process, that
 * never changes.
 *
 * Argument values (KSArgumentValue), one per argument of the definition, in its order:
 * - a single value: isArray 0, valueType the argument's type, and the value in single.asInteger
 *   (types 1 to 4, 6 to 8, 10, 11; booleans 0 or 1), single.asDouble (5, 15) or single.asString
 *   (9; null is the empty text). valueType 13 gives no value: the condition compares it as the
 *   null value of the field it is compared with (see KSField);
 * - an array (the arguments whose KSSignalArgInfo says isArray): isArray 1, valueType 0,
 *   elementType the argument's type (1, record IDs, for type 14) and elementCount elements at
 *   `elements`, each holding its value as `single` does. An array given no elements holds none.
 * A value fits an argument when both hold integers, both floats or both texts.
 *
 * Strings and arrays returned stay valid until the next call on the same handle (the session
 * for KSGetSignalArgsInfo and KSGetInstanciatedSignals, the signal otherwise).
 * ------------------------------------------------------------------------------------------- */

/* The arguments of the session's signal definition `name`: `count` descriptions in the order
 * the values are given. Null with count 0 for a definition without arguments, an unknown name
 * or a session that is not live. */
KS_API const KSSignalArgInfo* KSGetSignalArgsInfo(KSHandle session, const char16_t* name,
                                                  int32_t* count);
/* Instantiates the definition `name` with `argumentCount` values (see above), evaluated every
 * `checkInterval` seconds (1 or more); flags: 0. The instance is not suspended, not raised and
 * sends no events; its first evaluation is one check interval away. Returns its handle, or 0;
 * then KSGetLastSignalError tells why: KS_ERR_INVALID_HANDLE, KS_ERR_SERVER_NOT_RUNNING and
 * KS_ERR_NO_SUCH_DATABASE (the session), KS_ERR_NO_SUCH_SIGNAL, KS_ERR_INVALID_ARGUMENT
 * (another number of values than the definition has arguments, null values, a value that does
 * not fit its argument, a negative element count or null elements, an interval below 1, other
 * flags, or a value that the condition compares with a field of another kind),
 * KS_ERR_ACCESS_DENIED (the condition names a field or class invisible in the session's plan),
 * KS_ERR_NO_SUCH_FIELD and KS_ERR_NO_SUCH_INDEX (the condition names a field or link that the
 * class lacks). */
KS_API KSHandle KSInstanciateSignal(KSHandle session, const char16_t* name,
                                    const KSArgumentValue* arguments, int32_t argumentCount,
                                    int32_t checkInterval, int32_t flags);
/* The status of the calling thread's last KSInstanciateSignal: KS_OK after a success. */
KS_API KSStatus KSGetLastSignalError(void);
/* The handles of the session's instances, in instantiation order; flags: 0 (other flags answer
 * null). Null with count 0 when there is none or the handle is not a session's. */
KS_API const KSHandle* KSGetInstanciatedSignals(KSHandle session, int32_t* count, int32_t flags);
/* Releases the handle and with it the instance, which is no longer evaluated. Works also when
 * the session's database is offline. KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSReleaseSignal(KSHandle signal);
/* Deletes the instance on its server; its handle goes with it. Needs the session live: KS_OK,
 * KS_ERR_INVALID_HANDLE, KS_ERR_SERVER_NOT_RUNNING, KS_ERR_NO_SUCH_DATABASE (nothing deleted). */
KS_API KSStatus KSDeleteSignal(KSHandle signal);
/* Stores the caller's pointer on the handle. KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSSignalSetUserData(KSHandle signal, void* userData);
/* The definition's name; null for a bad handle. */
KS_API const char16_t* KSGetSignalName(KSHandle signal);
/* The instance's ID; -1 for a bad handle. */
KS_API int32_t KSGetSignalID(KSHandle signal);
/* The argument values, one per argument, each named after its argument: a single value with
 * the argument's type (a value not given as the type's null value), an array as type 14 holding
 * its number of elements. Null with count 0 for a bad handle or no arguments. */
KS_API const KSField* KSGetSignalArguments(KSHandle signal, int32_t* count);
/* The check interval in seconds; 0 for a bad handle. */
KS_API int32_t KSGetSignalCheckInterval(KSHandle signal);
/* Sets the interval (1 or more seconds); the next evaluation is one interval away.
 * KS_OK, KS_ERR_INVALID_HANDLE, KS_ERR_INVALID_ARGUMENT. */
KS_API KSStatus KSSetSignalCheckInterval(KSHandle signal, int32_t seconds);
/* Whether evaluations send events to the session. KS_OK, KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSSetSignalSendEvent(KSHandle signal, KSBool send);
/* 0 for a bad handle. */
KS_API KSBool KSDoesSignalSendEvent(KSHandle signal);
KS_API KSBool KSIsSignalSuspended(KSHandle signal);
/* Whether the last evaluation found the instance raised (0 before the first one). */
KS_API KSBool KSIsSignalRaised(KSHandle signal);
/* A suspended instance is not evaluated; suspending keeps its raised state. Resuming makes the
 * next evaluation one check interval away. Both answer KS_OK also when nothing changes;
 * KS_ERR_INVALID_HANDLE. */
KS_API KSStatus KSSuspendSignal(KSHandle signal);
KS_API KSStatus KSResumeSignal(KSHandle signal);
/* Evaluates the instance at once on the calling thread, with the events an evaluation of the
 * signal thread would send; the schedule stays as it is. KS_OK, KS_ERR_INVALID_HANDLE,
 * KS_ERR_SIGNAL_SUSPENDED, KS_ERR_SERVER_NOT_RUNNING and KS_ERR_NO_SUCH_DATABASE (the session),
 * KS_ERR_NO_SUCH_TRANSACTION (the session's root scenario was removed), KS_ERR_TRANSACTION_BUSY
 * (from a commit's progress callback), KS_ERR_INVALID_PATTERN (a regular expression gave up on
 * a text; that record counted as not satisfying the condition). Nothing changes on a failure
 * other than KS_ERR_INVALID_PATTERN. */
KS_API KSStatus KSEvaluateSignalNow(KSHandle signal);

#ifdef __cplusplus
}
#endif

#endif /* KESTREL_API_H */
