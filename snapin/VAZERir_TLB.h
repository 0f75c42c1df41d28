#pragma once
// The module's type library: library VAZERir 1.0 (locale 0x409), its
// dispatch interface IKRComponentData (no members) and its one class,
// TKRComponentData, the snap-in's component data.

#include "platform/com/Guid.h"
#include "snapin/TypeLibrary.h"

inline constexpr GUID LIBID_VAZERir = GuidLiteral("{096D8D37-B78A-11D2-BD6B-00805F536E80}");
inline constexpr IID IID_IKRComponentData = GuidLiteral("{096D8D38-B78A-11D2-BD6B-00805F536E80}");

const TTypeLibrary& VAZERirTypeLibrary();
