#pragma once
// The data-set framework's shared types: states, field types, the hooks'
// enumerations, record buffers and bookmarks, and EDatabaseError. Ordinals
// follow the framework this one stands in for.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text/Exception.h"
#include "platform/vcl/Sets.h"

class TComponent;

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,   // calculating the calculated fields of CalcBuffer()
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,    // scanning without telling the data sources
  dsInternalCalc,
  dsOpening,
};
using TDataSetStates = SetOf<TDataSetState>;
inline constexpr TDataSetStates dsEditModes{dsEdit, dsInsert, dsSetKey};
// The states in which fields may be written.
inline constexpr TDataSetStates dsWriteModes{dsEdit,   dsInsert,   dsSetKey,      dsCalcFields,
                                             dsFilter, dsNewValue, dsInternalCalc};

enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
  ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
  ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
  ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle,
};
// The field types whose values live outside the record buffer.
inline constexpr bool IsBlobFieldType(TFieldType type) {
  return (type >= ftBlob && type <= ftTypedBinary) || type == ftOraBlob || type == ftOraClob ||
         type == ftWideMemo;
}
// The name of a field type as messages show it ("Integer", "String", ...).
std::string FieldTypeName(TFieldType type);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// What GetRecord is asked to fetch, and what it answers.
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

// Where a record buffer stands: on a record, before the first, after the
// last, or a new record not yet posted.
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// What an error handler decides: re-raise, abort silently, or try again.
enum TDataAction { daFail, daAbort, daRetry };

enum TDataEvent {
  deFieldChange,       // info: the TField* that changed
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,     // info: how far the buffers moved
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,      // info: a TField** whose field a control should focus
  deParentScroll,
  deConnectChange,
  deReconcileError,
  deDisabledStateChange,
};

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = SetOf<TLocateOption>;

enum TResyncModeFlag { rmExact, rmCenter };
using TResyncMode = SetOf<TResyncModeFlag>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A record buffer: a block of bytes whose layout belongs to the data set
// class that allocates it.
using TRecordBuffer = uint8_t*;
// A copy of a record's bookmark data (BookmarkSize bytes); empty for none.
using TBookmark = std::vector<uint8_t>;

KR_DECLARE_EXCEPTION(EDatabaseError, Exception);

// Raises EDatabaseError; with a named component the message starts with
// "<name>: ".
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);
