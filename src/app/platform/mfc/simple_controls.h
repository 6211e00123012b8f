#pragma once
// MFC's CEdit, CStatic and CButton: the program uses only what CWnd offers on them.

#include "app/platform/mfc/cwnd.h"

class CEdit : public CWnd {};

class CStatic : public CWnd {};

class CButton : public CWnd {};
