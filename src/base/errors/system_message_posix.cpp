// The English Windows system texts for the codes this program can produce.
// POSIX has no message table of Windows codes, so the program carries them.

#include <unordered_map>

#include "base/errors/os_error.h"

namespace wc {

namespace {

const std::unordered_map<uint32_t, const wchar_t*>& messageTable() {
  static const std::unordered_map<uint32_t, const wchar_t*> table = {
      {0, L"The operation completed successfully."},
      {1, L"Incorrect function."},
      {2, L"The system cannot find the file specified."},
      {3, L"The system cannot find the path specified."},
      {4, L"The system cannot open the file."},
      {5, L"Access is denied."},
      {6, L"The handle is invalid."},
      {8, L"Not enough memory resources are available to process this command."},
      {14, L"Not enough memory resources are available to complete this operation."},
      {15, L"The system cannot find the drive specified."},
      {17, L"The system cannot move the file to a different disk drive."},
      {18, L"There are no more files."},
      {19, L"The media is write protected."},
      {21, L"The device is not ready."},
      {25, L"The drive cannot locate a specific area or track on the disk."},
      {29, L"The system cannot write to the specified device."},
      {30, L"The system cannot read from the specified device."},
      {31, L"A device attached to the system is not functioning."},
      {32, L"The process cannot access the file because it is being used by another process."},
      {33, L"The process cannot access the file because another process has locked a portion of the file."},
      {38, L"Reached the end of the file."},
      {39, L"The disk is full."},
      {50, L"The request is not supported."},
      {80, L"The file exists."},
      {87, L"The parameter is incorrect."},
      {109, L"The pipe has been ended."},
      {110, L"The system cannot open the device or file specified."},
      {111, L"The file name is too long."},
      {112, L"There is not enough space on the disk."},
      {120, L"This function is not supported on this system."},
      {122, L"The data area passed to a system call is too small."},
      {123, L"The filename, directory name, or volume label syntax is incorrect."},
      {126, L"The specified module could not be found."},
      {127, L"The specified procedure could not be found."},
      {128, L"There are no child processes to wait for."},
      {145, L"The directory is not empty."},
      {161, L"The specified path is invalid."},
      {170, L"The requested resource is in use."},
      {183, L"Cannot create a file when that file already exists."},
      {193, L"%1 is not a valid Win32 application."},
      {203, L"The system could not find the environment option that was entered."},
      {206, L"The filename or extension is too long."},
      {231, L"All pipe instances are busy."},
      {232, L"The pipe is being closed."},
      {233, L"No process is on the other end of the pipe."},
      {234, L"More data is available."},
      {267, L"The directory name is invalid."},
      {288, L"Attempt to release mutex not owned by caller."},
      {995, L"The I/O operation has been aborted because of either a thread exit or an application request."},
      {997, L"Overlapped I/O operation is in progress."},
      {998, L"Invalid access to memory location."},
      {1004, L"Invalid flags."},
      {1005,
       L"The volume does not contain a recognized file system.\r\nPlease make sure that all required file system "
       L"drivers are loaded and that the volume is not corrupted."},
      {1006, L"The volume for a file has been externally altered so that the opened file is no longer valid."},
      {1011, L"The configuration registry key could not be opened."},
      {1012, L"The configuration registry key could not be read."},
      {1013, L"The configuration registry key could not be written."},
      {1015,
       L"The registry is corrupted. The structure of one of the files containing registry data is corrupted, or the "
       L"system's memory image of the file is corrupted, or the file could not be recovered because the alternate copy "
       L"or log was absent or corrupted."},
      {1052, L"The requested control is not valid for this service."},
      {1053, L"The service did not respond to the start or control request in a timely fashion."},
      {1054, L"A thread could not be created for the service."},
      {1055, L"The service database is locked."},
      {1056, L"An instance of the service is already running."},
      {1057,
       L"The account name is invalid or does not exist, or the password is invalid for the account name specified."},
      {1058,
       L"The service cannot be started, either because it is disabled or because it has no enabled devices associated "
       L"with it."},
      {1059, L"Circular service dependency was specified."},
      {1060, L"The specified service does not exist as an installed service."},
      {1061, L"The service cannot accept control messages at this time."},
      {1062, L"The service has not been started."},
      {1064, L"An exception occurred in the service when handling the control request."},
      {1066, L"The service has returned a service-specific error code."},
      {1067, L"The process terminated unexpectedly."},
      {1068, L"The dependency service or group failed to start."},
      {1069, L"The service did not start due to a logon failure."},
      {1070, L"After starting, the service hung in a start-pending state."},
      {1072, L"The specified service has been marked for deletion."},
      {1073, L"The specified service already exists."},
      {1075, L"The dependency service does not exist or has been marked for deletion."},
      {1113, L"No mapping for the Unicode character exists in the target multi-byte code page."},
      {1114, L"A dynamic link library (DLL) initialization routine failed."},
      {1168, L"Element not found."},
      {1225, L"The remote computer refused the network connection."},
      {1332, L"No mapping between account names and security IDs was done."},
      {1392, L"The file or directory is corrupted and unreadable."},
      {1460, L"This operation returned because the timeout period expired."},
      {1921, L"The name of the file cannot be resolved by the system."},
      {2245,
       L"The password does not meet the password policy requirements. Check the minimum password length, password "
       L"complexity and password history requirements."},
      // COM results.
      {0x80004001, L"Not implemented"},
      {0x80004002, L"No such interface supported"},
      {0x80004003, L"Invalid pointer"},
      {0x80004005, L"Unspecified error"},
      {0x8007000E, L"Not enough memory resources are available to complete this operation."},
      {0x80070057, L"The parameter is incorrect."},
  };
  return table;
}

}  // namespace

std::optional<std::wstring> systemMessageText(uint32_t code) {
  auto it = messageTable().find(code);
  if (it == messageTable().end()) return std::nullopt;
  return std::wstring(it->second);
}

}  // namespace wc
