// The emulator's own declarations of the Oracle Call Interface it implements: types, handles,
// constants and prototypes, taken from the OCI reference. The product keeps its declarations
// in src/oracle; the two are written apart on purpose, so a wrong constant on one side shows
// as a failing test instead of being shared by product and emulator alike.
#pragma once

#include <cstddef>

extern "C" {

// Basic types: the same widths on LP64 Linux and LLP64 Windows.
using sword = signed int;
using sb1 = signed char;
using ub1 = unsigned char;
using sb2 = signed short;
using ub2 = unsigned short;
using sb4 = signed int;
using ub4 = unsigned int;
using oraub8 = unsigned long long;
using orasb8 = signed long long;
using ub8 = oraub8;
using sb8 = orasb8;
using OraText = unsigned char;

// Opaque handles and descriptors, only ever held through pointers.
struct OCIEnv;
struct OCIError;
struct OCIServer;
struct OCISvcCtx;
struct OCISession;
struct OCIStmt;
struct OCIDefine;
struct OCIBind;
struct OCILobLocator;
struct OCIDateTime;
struct OCISnapshot;

// Return codes (sword).
inline constexpr sword OCI_SUCCESS = 0;
inline constexpr sword OCI_SUCCESS_WITH_INFO = 1;
inline constexpr sword OCI_NEED_DATA = 99;
inline constexpr sword OCI_NO_DATA = 100;
inline constexpr sword OCI_ERROR = -1;
inline constexpr sword OCI_INVALID_HANDLE = -2;
inline constexpr sword OCI_CONTINUE = -24200;

// Modes and flags.
inline constexpr ub4 OCI_DEFAULT = 0x00000000;
inline constexpr ub4 OCI_THREADED = 0x00000001;
inline constexpr ub4 OCI_OBJECT = 0x00000002;
inline constexpr ub4 OCI_NTV_SYNTAX = 1;
inline constexpr ub4 OCI_BATCH_MODE = 0x00000001;
inline constexpr ub4 OCI_EXACT_FETCH = 0x00000002;
inline constexpr ub4 OCI_STMT_SCROLLABLE_READONLY = 0x00000008;
inline constexpr ub4 OCI_DESCRIBE_ONLY = 0x00000010;
inline constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x00000020;
inline constexpr ub4 OCI_PARSE_ONLY = 0x00000100;
inline constexpr ub2 OCI_FETCH_NEXT = 0x0002;
inline constexpr ub4 OCI_CRED_RDBMS = 1;
inline constexpr ub4 OCI_CRED_EXT = 2;
inline constexpr ub4 OCI_STMT_CACHE = 0x00000040;
inline constexpr ub4 OCI_STRLS_CACHE_DELETE = 0x0010;
inline constexpr ub1 OCI_ONE_PIECE = 0;
inline constexpr ub1 OCI_FIRST_PIECE = 1;
inline constexpr ub1 OCI_NEXT_PIECE = 2;
inline constexpr ub1 OCI_LAST_PIECE = 3;
inline constexpr sb2 OCI_IND_NULL = -1;

// Character sets and forms. Oracle's header names neither 873 (AL32UTF8) nor 2000
// (AL16UTF16, the usual national character set); the names here are the emulator's.
inline constexpr ub2 OCI_UTF16ID = 1000;
inline constexpr ub2 OCI_AL32UTF8_ID = 873;
inline constexpr ub2 OCI_AL16UTF16_ID = 2000;
inline constexpr ub1 SQLCS_IMPLICIT = 1;
inline constexpr ub1 SQLCS_NCHAR = 2;

// Handle types.
inline constexpr ub4 OCI_HTYPE_ENV = 1;
inline constexpr ub4 OCI_HTYPE_ERROR = 2;
inline constexpr ub4 OCI_HTYPE_SVCCTX = 3;
inline constexpr ub4 OCI_HTYPE_STMT = 4;
inline constexpr ub4 OCI_HTYPE_BIND = 5;
inline constexpr ub4 OCI_HTYPE_DEFINE = 6;
inline constexpr ub4 OCI_HTYPE_DESCRIBE = 7;
inline constexpr ub4 OCI_HTYPE_SERVER = 8;
inline constexpr ub4 OCI_HTYPE_SESSION = 9;

// Descriptor types.
inline constexpr ub4 OCI_DTYPE_LOB = 50;
inline constexpr ub4 OCI_DTYPE_PARAM = 53;
inline constexpr ub4 OCI_DTYPE_FILE = 56;
inline constexpr ub4 OCI_DTYPE_INTERVAL_YM = 62;
inline constexpr ub4 OCI_DTYPE_INTERVAL_DS = 63;
inline constexpr ub4 OCI_DTYPE_DATE = 65;
inline constexpr ub4 OCI_DTYPE_TIMESTAMP = 68;
inline constexpr ub4 OCI_DTYPE_TIMESTAMP_TZ = 69;
inline constexpr ub4 OCI_DTYPE_TIMESTAMP_LTZ = 70;

// Attribute codes: unique only per handle type (6 is the server of a service context and the
// scale of a parameter).
inline constexpr ub4 OCI_ATTR_DATA_SIZE = 1;
inline constexpr ub4 OCI_ATTR_DATA_TYPE = 2;
inline constexpr ub4 OCI_ATTR_DISP_SIZE = 3;
inline constexpr ub4 OCI_ATTR_NAME = 4;
inline constexpr ub4 OCI_ATTR_PRECISION = 5;
inline constexpr ub4 OCI_ATTR_SCALE = 6;
inline constexpr ub4 OCI_ATTR_IS_NULL = 7;
inline constexpr ub4 OCI_ATTR_TYPE_NAME = 8;
inline constexpr ub4 OCI_ATTR_SCHEMA_NAME = 9;
inline constexpr ub4 OCI_ATTR_SERVER = 6;
inline constexpr ub4 OCI_ATTR_SESSION = 7;
inline constexpr ub4 OCI_ATTR_ROW_COUNT = 9;
inline constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;
inline constexpr ub4 OCI_ATTR_PREFETCH_MEMORY = 13;
inline constexpr ub4 OCI_ATTR_FSPRECISION = 16;
inline constexpr ub4 OCI_ATTR_LFPRECISION = 17;
inline constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;
inline constexpr ub4 OCI_ATTR_USERNAME = 22;
inline constexpr ub4 OCI_ATTR_PASSWORD = 23;
inline constexpr ub4 OCI_ATTR_STMT_TYPE = 24;
inline constexpr ub4 OCI_ATTR_CHARSET_ID = 31;
inline constexpr ub4 OCI_ATTR_CHARSET_FORM = 32;
inline constexpr ub4 OCI_ATTR_MAXDATA_SIZE = 33;
inline constexpr ub4 OCI_ATTR_PARSE_ERROR_OFFSET = 129;
inline constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197;
inline constexpr ub4 OCI_ATTR_ENV_UTF16 = 209;
inline constexpr ub4 OCI_ATTR_NCHARSET_ID = 262;
inline constexpr ub4 OCI_ATTR_CHAR_USED = 285;
inline constexpr ub4 OCI_ATTR_CHAR_SIZE = 286;
inline constexpr ub4 OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE = 438;
inline constexpr ub4 OCI_ATTR_LOBPREFETCH_SIZE = 439;
inline constexpr ub4 OCI_ATTR_LOBPREFETCH_LENGTH = 440;
inline constexpr ub4 OCI_ATTR_UB8_ROW_COUNT = 457;
inline constexpr ub4 OCI_ATTR_CALL_TIMEOUT = 531;
inline constexpr ub4 OCI_ATTR_SERVER_STATUS = 143;  // server handle, ub4
inline constexpr ub4 OCI_SERVER_NOT_CONNECTED = 0x0;
inline constexpr ub4 OCI_SERVER_NORMAL = 0x1;

// Statement types, the value of OCI_ATTR_STMT_TYPE.
inline constexpr ub2 OCI_STMT_SELECT = 1;
inline constexpr ub2 OCI_STMT_UPDATE = 2;
inline constexpr ub2 OCI_STMT_DELETE = 3;
inline constexpr ub2 OCI_STMT_INSERT = 4;
inline constexpr ub2 OCI_STMT_CREATE = 5;
inline constexpr ub2 OCI_STMT_DROP = 6;
inline constexpr ub2 OCI_STMT_ALTER = 7;
inline constexpr ub2 OCI_STMT_BEGIN = 8;
inline constexpr ub2 OCI_STMT_DECLARE = 9;
inline constexpr ub2 OCI_STMT_MERGE = 16;

// Data type codes.
inline constexpr ub2 SQLT_CHR = 1;
inline constexpr ub2 SQLT_NUM = 2;
inline constexpr ub2 SQLT_INT = 3;
inline constexpr ub2 SQLT_FLT = 4;
inline constexpr ub2 SQLT_STR = 5;
inline constexpr ub2 SQLT_LNG = 8;
inline constexpr ub2 SQLT_DAT = 12;
inline constexpr ub2 SQLT_BFLOAT = 21;
inline constexpr ub2 SQLT_BDOUBLE = 22;
inline constexpr ub2 SQLT_BIN = 23;
inline constexpr ub2 SQLT_LBI = 24;
inline constexpr ub2 SQLT_UIN = 68;
inline constexpr ub2 SQLT_AFC = 96;
inline constexpr ub2 SQLT_AVC = 97;
inline constexpr ub2 SQLT_IBFLOAT = 100;
inline constexpr ub2 SQLT_IBDOUBLE = 101;
inline constexpr ub2 SQLT_NTY = 108;  // named type: object, XMLTYPE, collection
inline constexpr ub2 SQLT_JSON = 119;  // 21c+
inline constexpr ub2 SQLT_VEC = 127;   // 23ai
inline constexpr ub2 SQLT_BOL = 252;   // PL/SQL BOOLEAN, and SQL BOOLEAN in 23ai
inline constexpr ub2 SQLT_CLOB = 112;
inline constexpr ub2 SQLT_BLOB = 113;
inline constexpr ub2 SQLT_BFILEE = 114;
inline constexpr ub2 SQLT_ODT = 156;
inline constexpr ub2 SQLT_DATE = 184;
inline constexpr ub2 SQLT_TIMESTAMP = 187;
inline constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
inline constexpr ub2 SQLT_INTERVAL_YM = 189;
inline constexpr ub2 SQLT_INTERVAL_DS = 190;
inline constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;

// LOB read callbacks; a null pointer reads by polling.
using OCICallbackLobRead = sb4 (*)(void* ctxp, const void* bufp, ub4 len, ub1 piece);
using OCICallbackLobRead2 = sb4 (*)(void* ctxp, const void* bufp, oraub8 len, ub1 piece, void** changed_bufpp,
                                    oraub8* changed_lenp);

// The functions the emulated library exports, with C linkage.
sword OCIEnvNlsCreate(OCIEnv** envp, ub4 mode, void* ctxp, void* (*malocfp)(void* ctxp, std::size_t size),
                      void* (*ralocfp)(void* ctxp, void* memptr, std::size_t newsize),
                      void (*mfreefp)(void* ctxp, void* memptr), std::size_t xtramem_sz, void** usrmempp,
                      ub2 charset, ub2 ncharset);
sword OCIHandleAlloc(const void* parenth, void** hndlpp, const ub4 type, const std::size_t xtramem_sz,
                     void** usrmempp);
sword OCIHandleFree(void* hndlp, const ub4 type);
sword OCIDescriptorAlloc(const void* parenth, void** descpp, const ub4 type, const std::size_t xtramem_sz,
                         void** usrmempp);
sword OCIDescriptorFree(void* descp, const ub4 type);
sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype,
                 OCIError* errhp);
sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp);
sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos);
sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz,
                  ub4 type);
void OCIClientVersion(sword* featureRelease, sword* releaseUpdate, sword* releaseUpdateRevision,
                      sword* increment, sword* ext);
sword OCIServerAttach(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblink_len, ub4 mode);
sword OCIServerDetach(OCIServer* srvhp, OCIError* errhp, ub4 mode);
sword OCISessionBegin(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode);
sword OCISessionEnd(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
sword OCIServerVersion(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype);
sword OCIPing(OCISvcCtx* svchp, OCIError* errhp, ub4 mode);
sword OCITransCommit(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCITransRollback(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language, ub4 mode);
sword OCIStmtPrepare2(OCISvcCtx* svchp, OCIStmt** stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len,
                      const OraText* key, ub4 key_len, ub4 language, ub4 mode);
sword OCIStmtRelease(OCIStmt* stmtp, OCIError* errhp, const OraText* key, ub4 key_len, ub4 mode);
sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode);
sword OCIStmtFetch(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, ub4 mode);
sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 scrollOffset, ub4 mode);
sword OCIBindByPos(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz, ub2 dty,
                   void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len, ub4* curelep, ub4 mode);
sword OCIBindByName(OCIStmt* stmtp, OCIBind** bindp, OCIError* errhp, const OraText* placeholder, sb4 placeh_len,
                    void* valuep, sb4 value_sz, ub2 dty, void* indp, ub2* alenp, ub2* rcodep, ub4 maxarr_len,
                    ub4* curelep, ub4 mode);
sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnp, OCIError* errhp, ub4 position, void* valuep,
                     sb4 value_sz, ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode);
sword OCILobRead(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* amtp, ub4 offset, void* bufp,
                 ub4 bufl, void* ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm);
sword OCILobRead2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, oraub8* byte_amtp, oraub8* char_amtp,
                  oraub8 offset, void* bufp, oraub8 bufl, ub1 piece, void* ctxp, OCICallbackLobRead2 cbfp,
                  ub2 csid, ub1 csfrm);
sword OCILobFreeTemporary(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp);
sword OCILobIsTemporary(OCIEnv* envp, OCIError* errhp, OCILobLocator* locp, int* is_temporary);  // boolean: an int
sword OCILobCharSetForm(OCIEnv* envhp, OCIError* errhp, const OCILobLocator* locp, ub1* csfrm);
sword OCILobGetLength(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, ub4* lenp);
sword OCILobGetLength2(OCISvcCtx* svchp, OCIError* errhp, OCILobLocator* locp, oraub8* lenp);
sword OCIDateTimeGetDate(void* hndl, OCIError* err, const OCIDateTime* date, sb2* yr, ub1* mnth, ub1* dy);
sword OCIDateTimeGetTime(void* hndl, OCIError* err, OCIDateTime* datetime, ub1* hr, ub1* mm, ub1* ss, ub4* fsec);

}  // extern "C"
