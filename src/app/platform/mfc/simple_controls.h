#pragma once
// MFC's CEdit and CStatic: the program uses only what CWnd offers on them.

#include "app/platform/mfc/cwnd.h"

class CEdit : public CWnd {};

class CStatic : public CWnd {};
