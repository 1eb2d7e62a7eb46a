#pragma once
// Windows system error codes: the one error vocabulary of the platform seam.
// POSIX implementations map errno to these before anything above sees it.
// Where the Windows headers came first, their macros already name the same
// codes with the same values, and these definitions step aside.

#include <cstdint>

namespace wc {

#ifndef ERROR_SUCCESS
constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_INVALID_FUNCTION = 1;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERROR_OUTOFMEMORY = 14;
constexpr uint32_t ERROR_INVALID_DRIVE = 15;
constexpr uint32_t ERROR_NOT_SAME_DEVICE = 17;
constexpr uint32_t ERROR_NO_MORE_FILES = 18;
constexpr uint32_t ERROR_WRITE_PROTECT = 19;
constexpr uint32_t ERROR_NOT_READY = 21;
constexpr uint32_t ERROR_SEEK = 25;
constexpr uint32_t ERROR_WRITE_FAULT = 29;
constexpr uint32_t ERROR_READ_FAULT = 30;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_LOCK_VIOLATION = 33;
constexpr uint32_t ERROR_HANDLE_EOF = 38;
constexpr uint32_t ERROR_HANDLE_DISK_FULL = 39;
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr uint32_t ERROR_FILE_EXISTS = 80;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_BROKEN_PIPE = 109;
constexpr uint32_t ERROR_OPEN_FAILED = 110;
constexpr uint32_t ERROR_BUFFER_OVERFLOW = 111;
constexpr uint32_t ERROR_DISK_FULL = 112;
constexpr uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
constexpr uint32_t ERROR_INVALID_NAME = 123;
constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
constexpr uint32_t ERROR_PROC_NOT_FOUND = 127;
constexpr uint32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr uint32_t ERROR_BAD_PATHNAME = 161;
constexpr uint32_t ERROR_BUSY = 170;
constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr uint32_t ERROR_BAD_EXE_FORMAT = 193;
constexpr uint32_t ERROR_ENVVAR_NOT_FOUND = 203;
constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr uint32_t ERROR_PIPE_BUSY = 231;
constexpr uint32_t ERROR_NO_DATA = 232;
constexpr uint32_t ERROR_PIPE_NOT_CONNECTED = 233;
constexpr uint32_t ERROR_MORE_DATA = 234;
constexpr uint32_t ERROR_WAIT_NO_CHILDREN = 128;
constexpr uint32_t ERROR_DIRECTORY = 267;
constexpr uint32_t ERROR_NOT_OWNER = 288;
constexpr uint32_t ERROR_OPERATION_ABORTED = 995;
constexpr uint32_t ERROR_IO_PENDING = 997;
constexpr uint32_t ERROR_NOACCESS = 998;
constexpr uint32_t ERROR_FILE_INVALID = 1006;
constexpr uint32_t ERROR_CANTOPEN = 1011;
constexpr uint32_t ERROR_CANTREAD = 1012;
constexpr uint32_t ERROR_CANTWRITE = 1013;
constexpr uint32_t ERROR_REGISTRY_CORRUPT = 1015;
constexpr uint32_t ERROR_SERVICE_REQUEST_TIMEOUT = 1053;
constexpr uint32_t ERROR_SERVICE_NO_THREAD = 1054;
constexpr uint32_t ERROR_SERVICE_DATABASE_LOCKED = 1055;
constexpr uint32_t ERROR_SERVICE_ALREADY_RUNNING = 1056;
constexpr uint32_t ERROR_INVALID_SERVICE_ACCOUNT = 1057;
constexpr uint32_t ERROR_SERVICE_DISABLED = 1058;
constexpr uint32_t ERROR_CIRCULAR_DEPENDENCY = 1059;
constexpr uint32_t ERROR_SERVICE_DOES_NOT_EXIST = 1060;
constexpr uint32_t ERROR_SERVICE_CANNOT_ACCEPT_CTRL = 1061;
constexpr uint32_t ERROR_SERVICE_NOT_ACTIVE = 1062;
constexpr uint32_t ERROR_EXCEPTION_IN_SERVICE = 1064;
constexpr uint32_t ERROR_SERVICE_SPECIFIC_ERROR = 1066;
constexpr uint32_t ERROR_PROCESS_ABORTED = 1067;
constexpr uint32_t ERROR_SERVICE_DEPENDENCY_FAIL = 1068;
constexpr uint32_t ERROR_SERVICE_LOGON_FAILED = 1069;
constexpr uint32_t ERROR_SERVICE_START_HANG = 1070;
constexpr uint32_t ERROR_SERVICE_MARKED_FOR_DELETE = 1072;
constexpr uint32_t ERROR_SERVICE_EXISTS = 1073;
constexpr uint32_t ERROR_SERVICE_DEPENDENCY_DELETED = 1075;
constexpr uint32_t ERROR_INVALID_FLAGS = 1004;
constexpr uint32_t ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr uint32_t ERROR_DLL_INIT_FAILED = 1114;
constexpr uint32_t ERROR_INVALID_SERVICE_CONTROL = 1052;
constexpr uint32_t ERROR_NONE_MAPPED = 1332;
constexpr uint32_t ERROR_TIMEOUT = 1460;
constexpr uint32_t ERROR_FILE_CORRUPT = 1392;
constexpr uint32_t ERROR_NOT_FOUND = 1168;
constexpr uint32_t ERROR_CONNECTION_REFUSED = 1225;
constexpr uint32_t ERROR_UNRECOGNIZED_VOLUME = 1005;
constexpr uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;
#endif

#ifndef NERR_PasswordTooShort
constexpr uint32_t NERR_PasswordTooShort = 2245;
#endif

// Wait results of the mutex and event waits.
#ifndef WAIT_OBJECT_0
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_ABANDONED = 0x80;
constexpr uint32_t WAIT_TIMEOUT = 258;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFF;
#endif
constexpr uint32_t INFINITE_WAIT = 0xFFFFFFFF;

// COM results the portable code can produce.
constexpr uint32_t S_OK_RESULT = 0;
constexpr uint32_t E_NOTIMPL_RESULT = 0x80004001;
constexpr uint32_t E_NOINTERFACE_RESULT = 0x80004002;
constexpr uint32_t E_POINTER_RESULT = 0x80004003;
constexpr uint32_t E_FAIL_RESULT = 0x80004005;
constexpr uint32_t E_INVALIDARG_RESULT = 0x80070057;
constexpr uint32_t E_OUTOFMEMORY_RESULT = 0x8007000E;

}  // namespace wc
