#include "dataset/KRDataSet_CMP_FilterStream.h"

#include <memory>
#include <string>

#include "dataset/KRDataSet_CMP_Filter.h"
#include "platform/text/Utf.h"
#include "platform/vcl/Reader.h"
#include "platform/vcl/Streams.h"
#include "platform/vcl/Writer.h"

namespace {

void WriteFieldValue(TWriter& writer, const TKRFieldFilterNode& field) {
  const OleVariant value = field.GetFieldValue();
  switch (FilterValueKindOf(field.FieldType())) {
    case TKRFilterValueKind::RecordID:
    case TKRFilterValueKind::Integer:
    case TKRFilterValueKind::Duration:
      writer.WriteInteger(value.AsInteger());
      break;
    case TKRFilterValueKind::Boolean:
      writer.WriteBoolean(value.AsBool());
      break;
    case TKRFilterValueKind::Float:
    case TKRFilterValueKind::Stamp:
      writer.WriteFloat(value.AsDouble());
      break;
    case TKRFilterValueKind::Text:
      writer.WriteString(Utf16ToUtf8(field.EnteredText()));
      break;
    case TKRFilterValueKind::None:
      break;
  }
}

void WriteNode(TWriter& writer, const TKRFilterNode* node) {
  writer.WriteListBegin();
  writer.WriteBoolean(node != nullptr);
  if (node != nullptr) {
    writer.WriteBoolean(node->Kind() != krfnkLogical);
    writer.WriteBoolean(node->Kind() == krfnkIndex);
    switch (node->Kind()) {
      case krfnkLogical: {
        const auto& logical = static_cast<const TKRLogicalFilterNode&>(*node);
        writer.WriteInteger(logical.Operator());
        WriteNode(writer, logical.Left());
        WriteNode(writer, logical.Right());
        break;
      }
      case krfnkIndex: {
        const auto& index = static_cast<const TKRIndexFilterNode&>(*node);
        writer.WriteString(index.IndexName());
        writer.WriteInteger(index.Mode());
        WriteNode(writer, index.SubFilter());
        break;
      }
      case krfnkField: {
        const auto& field = static_cast<const TKRFieldFilterNode&>(*node);
        writer.WriteString(field.FieldName());
        writer.WriteInteger(field.Operator());
        writer.WriteBoolean(field.IsNull());
        writer.WriteInteger(field.FieldType());
        if (!field.IsNull()) WriteFieldValue(writer, field);
        break;
      }
    }
  }
  writer.WriteListEnd();
}

// An integer of the stream that must lie in low..high.
int32_t ReadIntegerIn(TReader& reader, int32_t low, int32_t high, const char* what) {
  const int32_t value = reader.ReadInteger();
  if (value < low || value > high) {
    throw EReadError("Invalid filter node: " + std::string(what) + " " + std::to_string(value));
  }
  return value;
}

OleVariant ReadFieldValue(TReader& reader, int32_t fieldType) {
  switch (FilterValueKindOf(fieldType)) {
    case TKRFilterValueKind::RecordID:
    case TKRFilterValueKind::Integer:
    case TKRFilterValueKind::Duration:
      return OleVariant(reader.ReadInteger());
    case TKRFilterValueKind::Boolean:
      return OleVariant(reader.ReadBoolean());
    case TKRFilterValueKind::Float:
      return OleVariant(reader.ReadFloat());
    case TKRFilterValueKind::Stamp:
      return OleVariant::FromDate(reader.ReadFloat());
    case TKRFilterValueKind::Text:
      return OleVariant(Utf8ToUtf16(reader.ReadString()));
    case TKRFilterValueKind::None:
      break;
  }
  return OleVariant::Null();
}

std::unique_ptr<TKRFilterNode> ReadNode(TReader& reader, TKRFilter& filter, int depth) {
  if (depth > kMaxFilterNodeDepth) {
    throw EReadError("Invalid filter: nodes nested deeper than " +
                     std::to_string(kMaxFilterNodeDepth) + " levels");
  }
  reader.ReadListBegin();
  std::unique_ptr<TKRFilterNode> node;
  if (reader.ReadBoolean()) {
    const bool isLeaf = reader.ReadBoolean();
    const bool isIndex = reader.ReadBoolean();
    if (!isLeaf && isIndex) throw EReadError("Invalid filter node: an index node is a leaf");
    if (!isLeaf) {
      auto logical = std::make_unique<TKRLogicalFilterNode>(
          filter, TKRLogicalOperator(ReadIntegerIn(reader, krloAnd, krloOr, "logical operator")));
      logical->SetLeft(ReadNode(reader, filter, depth + 1));
      logical->SetRight(ReadNode(reader, filter, depth + 1));
      node = std::move(logical);
    } else if (isIndex) {
      auto index = std::make_unique<TKRIndexFilterNode>(filter);
      index->SetIndexName(reader.ReadString());
      index->SetMode(uint8_t(ReadIntegerIn(reader, 0, 255, "index mode")));
      index->SetSubFilter(ReadNode(reader, filter, depth + 1));
      node = std::move(index);
    } else {
      auto field = std::make_unique<TKRFieldFilterNode>(filter);
      field->SetFieldName(reader.ReadString());
      field->SetOperator(TKRAPIConditionOperator(
          ReadIntegerIn(reader, krapicoLess, krapicoGreater, "condition operator")));
      const bool isNull = reader.ReadBoolean();
      field->SetFieldType(reader.ReadInteger());
      field->SetFieldValue(isNull ? OleVariant::Null() : ReadFieldValue(reader, field->FieldType()));
      node = std::move(field);
    }
  }
  reader.ReadListEnd();
  return node;
}

}  // namespace

void WriteFilterNodes(TWriter& writer, const TKRFilter& filter) { WriteNode(writer, filter.Root()); }

void ReadFilterNodes(TReader& reader, TKRFilter& filter) {
  filter.SetRoot(ReadNode(reader, filter, 1));
}
