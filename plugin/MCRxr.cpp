#include "plugin/MCRxr.h"

// Status notifications carry nothing the console acts on.
void CMCRxr::OnStatus(int, const char*) {}

void CMCRxr::OnMessage(void*, MnmHndl, void*) {}
