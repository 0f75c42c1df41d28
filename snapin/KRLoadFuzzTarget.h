#pragma once
// One run of the console-document loader on arbitrary bytes, shared by the
// libFuzzer target and the bounded random test.

#include <cstddef>
#include <cstdint>

// Loads the bytes into a fresh component data and checks what holds for any
// input: the answer is S_OK or E_FAIL, the fixed folders are still there and
// every workstation keeps its "Servers" folder, and what was loaded saves as
// a document that loads and saves to the same bytes. False when a check fails.
bool LoadConsoleDocumentChecked(const uint8_t* data, size_t size);
