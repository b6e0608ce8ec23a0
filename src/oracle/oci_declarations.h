/* Our own declarations of the Oracle Call Interface: types, handles, constants and prototypes. */
#ifndef SPRANDEL_ORACLE_OCI_DECLARATIONS_H
#define SPRANDEL_ORACLE_OCI_DECLARATIONS_H

/* C-compatible on purpose: the client library is a C library, and the emulator defines the
   same functions with C linkage. No vendor header is included anywhere in the project. */

/* OCI types stay inside the oracle folder: the code above reaches Oracle through
   oracle_session.h and table_reader.h. Only the oracle library, its tests and its benchmarks
   define this, so an include that leaks these declarations upwards fails to compile. */
#ifndef SPRANDEL_ORACLE_INTERNAL
#error "OCI declarations are internal to src/oracle; include oracle/oracle_session.h or oracle/table_reader.h"
#endif

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Basic types: widths are identical on LP64 Linux and LLP64 Windows. */
typedef signed int sword;
typedef unsigned int uword;
typedef signed char sb1;
typedef unsigned char ub1;
typedef signed short sb2;
typedef unsigned short ub2;
typedef signed int sb4;
typedef unsigned int ub4;
typedef unsigned long long oraub8;
typedef signed long long orasb8;
typedef oraub8 ub8;
typedef orasb8 sb8;
typedef unsigned char OraText;
typedef unsigned short utext;
typedef sb2 OCIInd;

/* Opaque handles and descriptors: only ever used through pointers. */
typedef struct OCIEnv OCIEnv;
typedef struct OCIError OCIError;
typedef struct OCIServer OCIServer;
typedef struct OCISvcCtx OCISvcCtx;
typedef struct OCISession OCISession;
typedef struct OCIStmt OCIStmt;
typedef struct OCIDefine OCIDefine;
typedef struct OCIBind OCIBind;
typedef struct OCIDescribe OCIDescribe;
typedef struct OCIParam OCIParam;
typedef struct OCILobLocator OCILobLocator;
typedef struct OCIDateTime OCIDateTime;
typedef struct OCIInterval OCIInterval;
typedef struct OCISnapshot OCISnapshot;

/* Return codes */
#define OCI_SUCCESS 0
#define OCI_SUCCESS_WITH_INFO 1
#define OCI_NEED_DATA 99
#define OCI_NO_DATA 100
#define OCI_ERROR (-1)
#define OCI_INVALID_HANDLE (-2)
#define OCI_STILL_EXECUTING (-3123)
#define OCI_CONTINUE (-24200)

/* Modes and flags */
#define OCI_DEFAULT 0x00000000u
#define OCI_THREADED 0x00000001u
#define OCI_OBJECT 0x00000002u
#define OCI_UTF16 0x00004000u
#define OCI_NTV_SYNTAX 1u
#define OCI_BATCH_MODE 0x00000001u
#define OCI_EXACT_FETCH 0x00000002u
#define OCI_STMT_SCROLLABLE_READONLY 0x00000008u
#define OCI_DESCRIBE_ONLY 0x00000010u
#define OCI_COMMIT_ON_SUCCESS 0x00000020u
#define OCI_PARSE_ONLY 0x00000100u
#define OCI_FETCH_NEXT 0x0002u
#define OCI_FETCH_FIRST 0x0004u
#define OCI_FETCH_LAST 0x0008u
#define OCI_FETCH_PRIOR 0x0010u
#define OCI_FETCH_ABSOLUTE 0x0020u
#define OCI_FETCH_RELATIVE 0x0040u
#define OCI_CRED_RDBMS 1u
#define OCI_CRED_EXT 2u
#define OCI_STMT_CACHE 0x00000040u
#define OCI_STRLS_CACHE_DELETE 0x0010u
#define OCI_ONE_PIECE 0
#define OCI_FIRST_PIECE 1
#define OCI_NEXT_PIECE 2
#define OCI_LAST_PIECE 3
#define OCI_ERROR_MAXMSG_SIZE 1024
#define OCI_ERROR_MAXMSG_SIZE2 3072
#define OCI_IND_NOTNULL 0
#define OCI_IND_NULL (-1)

/* Character sets and forms */
#define OCI_UTF16ID 1000
#define OCI_UCS2ID 1000
#define OCI_AL32UTF8_ID 873  /* no name for it in Oracle's header; looked up at run time there */
#define OCI_AL16UTF16_ID 2000
#define SQLCS_IMPLICIT 1
#define SQLCS_NCHAR 2
#define SQLCS_EXPLICIT 3
#define SQLCS_FLEXIBLE 4
#define SQLCS_LIT_NULL 5

/* Handle types */
#define OCI_HTYPE_ENV 1u
#define OCI_HTYPE_ERROR 2u
#define OCI_HTYPE_SVCCTX 3u
#define OCI_HTYPE_STMT 4u
#define OCI_HTYPE_BIND 5u
#define OCI_HTYPE_DEFINE 6u
#define OCI_HTYPE_DESCRIBE 7u
#define OCI_HTYPE_SERVER 8u
#define OCI_HTYPE_SESSION 9u
#define OCI_HTYPE_AUTHINFO 9u
#define OCI_HTYPE_TRANS 10u

/* Descriptor types */
#define OCI_DTYPE_LOB 50u
#define OCI_DTYPE_PARAM 53u
#define OCI_DTYPE_ROWID 54u
#define OCI_DTYPE_FILE 56u
#define OCI_DTYPE_INTERVAL_YM 62u
#define OCI_DTYPE_INTERVAL_DS 63u
#define OCI_DTYPE_DATE 65u
#define OCI_DTYPE_TIMESTAMP 68u
#define OCI_DTYPE_TIMESTAMP_TZ 69u
#define OCI_DTYPE_TIMESTAMP_LTZ 70u

/* Attributes: a number is only unique together with the handle type it is used on. */
#define OCI_ATTR_DATA_SIZE 1u
#define OCI_ATTR_DATA_TYPE 2u
#define OCI_ATTR_DISP_SIZE 3u
#define OCI_ATTR_NAME 4u
#define OCI_ATTR_PRECISION 5u
#define OCI_ATTR_SCALE 6u
#define OCI_ATTR_IS_NULL 7u
#define OCI_ATTR_TYPE_NAME 8u
#define OCI_ATTR_SCHEMA_NAME 9u
#define OCI_ATTR_SERVER 6u
#define OCI_ATTR_SESSION 7u
#define OCI_ATTR_ROW_COUNT 9u
#define OCI_ATTR_PREFETCH_ROWS 11u
#define OCI_ATTR_PREFETCH_MEMORY 13u
#define OCI_ATTR_FSPRECISION 16u
#define OCI_ATTR_PDSCL 16u
#define OCI_ATTR_LFPRECISION 17u
#define OCI_ATTR_PDPRC 17u
#define OCI_ATTR_PARAM_COUNT 18u
#define OCI_ATTR_ROWID 19u
#define OCI_ATTR_USERNAME 22u
#define OCI_ATTR_PASSWORD 23u
#define OCI_ATTR_STMT_TYPE 24u
#define OCI_ATTR_CHARSET_ID 31u
#define OCI_ATTR_CHARSET_FORM 32u
#define OCI_ATTR_MAXDATA_SIZE 33u
#define OCI_ATTR_PARSE_ERROR_OFFSET 129u
#define OCI_ATTR_ROWS_FETCHED 197u
/* server handle, ub4: OCI_SERVER_NORMAL 1 or OCI_SERVER_NOT_CONNECTED 0 (oci.h, ODPI-C) */
#define OCI_ATTR_SERVER_STATUS 143u
#define OCI_SERVER_NOT_CONNECTED 0u
#define OCI_SERVER_NORMAL 1u
#define OCI_ATTR_ENV_UTF16 209u
#define OCI_ATTR_NCHARSET_ID 262u
#define OCI_ATTR_CHAR_USED 285u
#define OCI_ATTR_CHAR_SIZE 286u
#define OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE 438u
#define OCI_ATTR_LOBPREFETCH_SIZE 439u
#define OCI_ATTR_LOBPREFETCH_LENGTH 440u
#define OCI_ATTR_UB8_ROW_COUNT 457u
#define OCI_ATTR_CALL_TIMEOUT 531u

/* Statement types (value of OCI_ATTR_STMT_TYPE) */
#define OCI_STMT_SELECT 1
#define OCI_STMT_UPDATE 2
#define OCI_STMT_DELETE 3
#define OCI_STMT_INSERT 4
#define OCI_STMT_CREATE 5
#define OCI_STMT_DROP 6
#define OCI_STMT_ALTER 7
#define OCI_STMT_BEGIN 8
#define OCI_STMT_DECLARE 9
#define OCI_STMT_CALL 10
#define OCI_STMT_MERGE 16

/* External data type codes */
#define SQLT_CHR 1
#define SQLT_NUM 2
#define SQLT_INT 3
#define SQLT_FLT 4
#define SQLT_STR 5
#define SQLT_VNU 6
#define SQLT_PDN 7
#define SQLT_LNG 8
#define SQLT_VCS 9
#define SQLT_RID 11
#define SQLT_DAT 12
#define SQLT_VBI 15
#define SQLT_BFLOAT 21
#define SQLT_BDOUBLE 22
#define SQLT_BIN 23
#define SQLT_LBI 24
#define SQLT_UIN 68
#define SQLT_LVC 94
#define SQLT_LVB 95
#define SQLT_AFC 96
#define SQLT_AVC 97
#define SQLT_IBFLOAT 100
#define SQLT_IBDOUBLE 101
#define SQLT_CUR 102
#define SQLT_RDD 104
#define SQLT_NTY 108
#define SQLT_REF 110
#define SQLT_CLOB 112
#define SQLT_BLOB 113
#define SQLT_BFILEE 114
#define SQLT_BFILE 114
#define SQLT_FILE 114
#define SQLT_CFILEE 115
#define SQLT_RSET 116
#define SQLT_JSON 119
#define SQLT_NCO 122
#define SQLT_VEC 127
#define SQLT_VST 155
#define SQLT_ODT 156
#define SQLT_DATE 184
#define SQLT_TIME 185
#define SQLT_TIME_TZ 186
#define SQLT_TIMESTAMP 187
#define SQLT_TIMESTAMP_TZ 188
#define SQLT_INTERVAL_YM 189
#define SQLT_INTERVAL_DS 190
#define SQLT_TIMESTAMP_LTZ 232
#define SQLT_REC 250
#define SQLT_TAB 251
#define SQLT_BOL 252
#define OCI_TYPECODE_OPAQUE 58

/* LOB read callbacks; pass a null pointer to read by polling. */
typedef sb4 (*OCICallbackLobRead)(void *ctxp, const void *bufp, ub4 len, ub1 piece);
typedef sb4 (*OCICallbackLobRead2)(void *ctxp, const void *bufp, oraub8 len, ub1 piece,
                                   void **changed_bufpp, oraub8 *changed_lenp);

/* Function-pointer types, one per function, for a loader that resolves them by name. */
typedef sword (*OCIEnvNlsCreate_fn)(OCIEnv **envp, ub4 mode, void *ctxp,
                                    void *(*malocfp)(void *ctxp, size_t size),
                                    void *(*ralocfp)(void *ctxp, void *memptr, size_t newsize),
                                    void (*mfreefp)(void *ctxp, void *memptr),
                                    size_t xtramem_sz, void **usrmempp, ub2 charset, ub2 ncharset);
typedef sword (*OCIHandleAlloc_fn)(const void *parenth, void **hndlpp, const ub4 type,
                                   const size_t xtramem_sz, void **usrmempp);
typedef sword (*OCIHandleFree_fn)(void *hndlp, const ub4 type);
typedef sword (*OCIDescriptorAlloc_fn)(const void *parenth, void **descpp, const ub4 type,
                                       const size_t xtramem_sz, void **usrmempp);
typedef sword (*OCIDescriptorFree_fn)(void *descp, const ub4 type);
typedef sword (*OCIAttrGet_fn)(const void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 *sizep,
                               ub4 attrtype, OCIError *errhp);
typedef sword (*OCIAttrSet_fn)(void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 size,
                               ub4 attrtype, OCIError *errhp);
typedef sword (*OCIParamGet_fn)(const void *hndlp, ub4 htype, OCIError *errhp, void **parmdpp, ub4 pos);
typedef sword (*OCIErrorGet_fn)(void *hndlp, ub4 recordno, OraText *sqlstate, sb4 *errcodep,
                                OraText *bufp, ub4 bufsiz, ub4 type);
typedef void (*OCIClientVersion_fn)(sword *featureRelease, sword *releaseUpdate,
                                    sword *releaseUpdateRevision, sword *increment, sword *ext);
typedef sword (*OCIServerAttach_fn)(OCIServer *srvhp, OCIError *errhp, const OraText *dblink,
                                    sb4 dblink_len, ub4 mode);
typedef sword (*OCIServerDetach_fn)(OCIServer *srvhp, OCIError *errhp, ub4 mode);
typedef sword (*OCISessionBegin_fn)(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 credt,
                                    ub4 mode);
typedef sword (*OCISessionEnd_fn)(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 mode);
typedef sword (*OCIServerVersion_fn)(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz,
                                     ub1 hndltype);
typedef sword (*OCIPing_fn)(OCISvcCtx *svchp, OCIError *errhp, ub4 mode);
/* hndlp: the service context or the server handle; callable from another thread while a
   call on that connection blocks, which then fails with ORA-01013 */
typedef sword (*OCIBreak_fn)(void *hndlp, OCIError *errhp);
typedef sword (*OCIReset_fn)(void *hndlp, OCIError *errhp);
typedef sword (*OCIStmtPrepare_fn)(OCIStmt *stmtp, OCIError *errhp, const OraText *stmt, ub4 stmt_len,
                                   ub4 language, ub4 mode);
typedef sword (*OCIStmtPrepare2_fn)(OCISvcCtx *svchp, OCIStmt **stmtp, OCIError *errhp,
                                    const OraText *stmt, ub4 stmt_len, const OraText *key,
                                    ub4 key_len, ub4 language, ub4 mode);
typedef sword (*OCIStmtRelease_fn)(OCIStmt *stmtp, OCIError *errhp, const OraText *key, ub4 key_len,
                                   ub4 mode);
typedef sword (*OCIStmtExecute_fn)(OCISvcCtx *svchp, OCIStmt *stmtp, OCIError *errhp, ub4 iters,
                                   ub4 rowoff, const OCISnapshot *snap_in, OCISnapshot *snap_out,
                                   ub4 mode);
typedef sword (*OCIStmtFetch_fn)(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation, ub4 mode);
typedef sword (*OCIStmtFetch2_fn)(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation,
                                  sb4 scrollOffset, ub4 mode);
typedef sword (*OCIDefineByPos_fn)(OCIStmt *stmtp, OCIDefine **defnp, OCIError *errhp, ub4 position,
                                   void *valuep, sb4 value_sz, ub2 dty, void *indp, ub2 *rlenp,
                                   ub2 *rcodep, ub4 mode);
typedef sword (*OCILobRead_fn)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp,
                               ub4 offset, void *bufp, ub4 bufl, void *ctxp, OCICallbackLobRead cbfp,
                               ub2 csid, ub1 csfrm);
typedef sword (*OCILobRead2_fn)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp,
                                oraub8 *byte_amtp, oraub8 *char_amtp, oraub8 offset, void *bufp,
                                oraub8 bufl, ub1 piece, void *ctxp, OCICallbackLobRead2 cbfp,
                                ub2 csid, ub1 csfrm);
typedef sword (*OCITransRollback_fn)(OCISvcCtx *svchp, OCIError *errhp, ub4 flags);
typedef sword (*OCIBindByPos_fn)(OCIStmt *stmtp, OCIBind **bindp, OCIError *errhp, ub4 position, void *valuep,
                                 sb4 value_sz, ub2 dty, void *indp, ub2 *alenp, ub2 *rcodep, ub4 maxarr_len,
                                 ub4 *curelep, ub4 mode);
typedef sword (*OCILobIsTemporary_fn)(OCIEnv *envhp, OCIError *errhp, OCILobLocator *locp, int *is_temporary);
typedef sword (*OCILobFreeTemporary_fn)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp);
typedef sword (*OCILobCharSetForm_fn)(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp,
                                      ub1 *csfrm);
typedef sword (*OCILobGetLength_fn)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *lenp);
typedef sword (*OCILobGetLength2_fn)(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp,
                                     oraub8 *lenp);
typedef sword (*OCIDateTimeGetDate_fn)(void *hndl, OCIError *err, const OCIDateTime *date, sb2 *yr,
                                       ub1 *mnth, ub1 *dy);
typedef sword (*OCIDateTimeGetTime_fn)(void *hndl, OCIError *err, OCIDateTime *datetime, ub1 *hr,
                                       ub1 *mm, ub1 *ss, ub4 *fsec);

/* Prototypes. A program that loads the library at run time uses only the types above; the
   emulator defines these functions, so they are declared only where asked for. */
#ifdef OCI_DECLARE_PROTOTYPES
sword OCIEnvNlsCreate(OCIEnv **envp, ub4 mode, void *ctxp, void *(*malocfp)(void *ctxp, size_t size),
                      void *(*ralocfp)(void *ctxp, void *memptr, size_t newsize),
                      void (*mfreefp)(void *ctxp, void *memptr), size_t xtramem_sz, void **usrmempp,
                      ub2 charset, ub2 ncharset);
sword OCIHandleAlloc(const void *parenth, void **hndlpp, const ub4 type, const size_t xtramem_sz,
                     void **usrmempp);
sword OCIHandleFree(void *hndlp, const ub4 type);
sword OCIDescriptorAlloc(const void *parenth, void **descpp, const ub4 type, const size_t xtramem_sz,
                         void **usrmempp);
sword OCIDescriptorFree(void *descp, const ub4 type);
sword OCIAttrGet(const void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 *sizep, ub4 attrtype,
                 OCIError *errhp);
sword OCIAttrSet(void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 size, ub4 attrtype,
                 OCIError *errhp);
sword OCIParamGet(const void *hndlp, ub4 htype, OCIError *errhp, void **parmdpp, ub4 pos);
sword OCIErrorGet(void *hndlp, ub4 recordno, OraText *sqlstate, sb4 *errcodep, OraText *bufp,
                  ub4 bufsiz, ub4 type);
void OCIClientVersion(sword *featureRelease, sword *releaseUpdate, sword *releaseUpdateRevision,
                      sword *increment, sword *ext);
sword OCIServerAttach(OCIServer *srvhp, OCIError *errhp, const OraText *dblink, sb4 dblink_len,
                      ub4 mode);
sword OCIServerDetach(OCIServer *srvhp, OCIError *errhp, ub4 mode);
sword OCISessionBegin(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 credt, ub4 mode);
sword OCISessionEnd(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 mode);
sword OCIServerVersion(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype);
sword OCIPing(OCISvcCtx *svchp, OCIError *errhp, ub4 mode);
sword OCIBreak(void *hndlp, OCIError *errhp);
sword OCIReset(void *hndlp, OCIError *errhp);
sword OCIStmtPrepare(OCIStmt *stmtp, OCIError *errhp, const OraText *stmt, ub4 stmt_len, ub4 language,
                     ub4 mode);
sword OCIStmtPrepare2(OCISvcCtx *svchp, OCIStmt **stmtp, OCIError *errhp, const OraText *stmt,
                      ub4 stmt_len, const OraText *key, ub4 key_len, ub4 language, ub4 mode);
sword OCIStmtRelease(OCIStmt *stmtp, OCIError *errhp, const OraText *key, ub4 key_len, ub4 mode);
sword OCIStmtExecute(OCISvcCtx *svchp, OCIStmt *stmtp, OCIError *errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot *snap_in, OCISnapshot *snap_out, ub4 mode);
sword OCIStmtFetch(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation, ub4 mode);
sword OCIStmtFetch2(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation, sb4 scrollOffset,
                    ub4 mode);
sword OCIDefineByPos(OCIStmt *stmtp, OCIDefine **defnp, OCIError *errhp, ub4 position, void *valuep,
                     sb4 value_sz, ub2 dty, void *indp, ub2 *rlenp, ub2 *rcodep, ub4 mode);
sword OCILobRead(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp, ub4 offset,
                 void *bufp, ub4 bufl, void *ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm);
sword OCILobRead2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, oraub8 *byte_amtp,
                  oraub8 *char_amtp, oraub8 offset, void *bufp, oraub8 bufl, ub1 piece, void *ctxp,
                  OCICallbackLobRead2 cbfp, ub2 csid, ub1 csfrm);
sword OCITransRollback(OCISvcCtx *svchp, OCIError *errhp, ub4 flags);
sword OCIBindByPos(OCIStmt *stmtp, OCIBind **bindp, OCIError *errhp, ub4 position, void *valuep, sb4 value_sz,
                   ub2 dty, void *indp, ub2 *alenp, ub2 *rcodep, ub4 maxarr_len, ub4 *curelep, ub4 mode);
sword OCILobIsTemporary(OCIEnv *envhp, OCIError *errhp, OCILobLocator *locp, int *is_temporary);
sword OCILobFreeTemporary(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp);
sword OCILobCharSetForm(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp, ub1 *csfrm);
sword OCILobGetLength(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *lenp);
sword OCILobGetLength2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, oraub8 *lenp);
sword OCIDateTimeGetDate(void *hndl, OCIError *err, const OCIDateTime *date, sb2 *yr, ub1 *mnth,
                         ub1 *dy);
sword OCIDateTimeGetTime(void *hndl, OCIError *err, OCIDateTime *datetime, ub1 *hr, ub1 *mm, ub1 *ss,
                         ub4 *fsec);
#endif /* OCI_DECLARE_PROTOTYPES */

#ifdef __cplusplus
}
#endif

#endif /* SPRANDEL_ORACLE_OCI_DECLARATIONS_H */
