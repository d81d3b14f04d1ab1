// No serial port: the computing benchmarks never open one.
#include "platform.h"

int wsprintfA(char*, const char*, ...) { return 0; }
HANDLE CreateFileA(LPCSTR, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) { return INVALID_HANDLE_VALUE; }
BOOL GetCommTimeouts(HANDLE, COMMTIMEOUTS*) { return FALSE; }
BOOL SetCommTimeouts(HANDLE, COMMTIMEOUTS*) { return FALSE; }
BOOL GetCommState(HANDLE, DCB*) { return FALSE; }
BOOL SetCommState(HANDLE, DCB*) { return FALSE; }
BOOL ReadFile(HANDLE, void*, DWORD, DWORD*, void*) { return FALSE; }
BOOL WriteFile(HANDLE, const void*, DWORD, DWORD*, void*) { return FALSE; }
BOOL TransmitCommChar(HANDLE, char) { return FALSE; }
BOOL CloseHandle(HANDLE) { return TRUE; }
