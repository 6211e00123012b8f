#pragma once

#include <afx.h>

// Reads one value of a key below HKEY_LOCAL_MACHINE.
class RegistryReader {
public:
    virtual ~RegistryReader() = default;

    // Finds the value named valueName (letter case ignored; "" is the key's default value) and
    // copies its data, read as text, into out. On false, out is left as it was.
    bool ReadValue(const CString& keyPath, const CString& valueName, CString& out);
};
