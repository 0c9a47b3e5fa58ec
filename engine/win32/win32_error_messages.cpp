#include "win32/win32_error_messages.h"

#include "interface_texts.h"

void Win32ErrorMessages::show(const char* text) { MessageBoxA(owner_, text, kTextErrorCaption, MB_OK); }
