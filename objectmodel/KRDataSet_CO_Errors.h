#pragma once
// Database errors with a severity (IKRDBError), as a read-write transaction
// collects them:
//   - TKRServerDBError (IKRServerDBError): an error the library reported, with
//     its status code and text. Built from the library's error record and the
//     transaction's session handle: severity and code from the record, the
//     text from KSFormatError(session, record, 1). Without a record it is
//     severity 1, code -2 (no error record) and an empty text.
//   - TKRLocalDBError (IKRLocalDBError): an error of the program itself, a
//     resource string number and its arguments as texts. The arguments come
//     from an automation array, from its low to its high bound, each as text
//     (Null as empty text); Null or empty gives no arguments. Arguments
//     answers a wrapper over the error's own list that keeps the error alive.

#include <cstdint>
#include <memory>
#include <string>

#include "kestrel/include/KestrelAPI.h"
#include "objectmodel/KRDataSet_CO_AutoObject.h"
#include "objectmodel/KRDataSet_CO_StringList.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

inline constexpr IID IID_IKRDBError = GuidLiteral("90100901-F508-11D1-B871-00805F49559B");
inline constexpr IID IID_IKRServerDBError = GuidLiteral("7BDB8867-CA9E-11D2-8FD0-0008C70A56B5");
inline constexpr IID IID_IKRLocalDBError = GuidLiteral("7BDB8865-CA9E-11D2-8FD0-0008C70A56B5");

// The status of a server error built without an error record.
inline constexpr KSStatus kKRNoErrorRecord = -2;

struct IKRDBError : IUnknown {
  static constexpr const IID& kIID = IID_IKRDBError;

  virtual int32_t Get_Severity() = 0;
};

struct IKRServerDBError : IKRDBError {
  static constexpr const IID& kIID = IID_IKRServerDBError;
  using BaseInterface = IKRDBError;

  virtual std::u16string Get_Text() = 0;
  virtual int32_t Get_ErrorCode() = 0;
};

struct IKRLocalDBError : IKRDBError {
  static constexpr const IID& kIID = IID_IKRLocalDBError;
  using BaseInterface = IKRDBError;

  virtual ComPtr<IKRStringList> Get_Arguments() = 0;
  virtual int32_t Get_RscStringID() = 0;
};

// The error machinery over interface I (IKRDBError or one extending it).
template <class I = IKRDBError>
class TKRDBError : public TKRAutoObject<I> {
 public:
  explicit TKRDBError(int32_t severity) : FSeverity(severity) {}

  int32_t Get_Severity() override {
    return this->Guard([&] { return FSeverity; });
  }

 protected:
  int32_t FSeverity;
};

class TKRServerDBError : public TKRDBError<IKRServerDBError> {
 public:
  // `errorRecord` may be null; it is read only here.
  TKRServerDBError(KSHandle session, const KSErrorRecord* errorRecord);

  std::u16string Get_Text() override;
  int32_t Get_ErrorCode() override;

 private:
  int32_t FErrorCode;
  std::u16string FText;
};

class TKRLocalDBError : public TKRDBError<IKRLocalDBError> {
 public:
  // EVariantError when `arguments` is neither an array, Null nor empty.
  TKRLocalDBError(int32_t rscStringID, const OleVariant& arguments, int32_t severity);

  ComPtr<IKRStringList> Get_Arguments() override;
  int32_t Get_RscStringID() override;

 private:
  int32_t FRscStringID;
  std::unique_ptr<TKRStrings> FArguments;
};
