#pragma once
// The value of a filter's "Nodes" property in the component stream: one node
// written as
//
//   list begin
//   boolean: a node follows
//   when it does: boolean is leaf (field or index node), boolean is index node, then
//     logical node: integer operator (0 AND, 1 OR), the left node, the right node
//     index node:   string index name, integer mode (0..255), the sub-filter node
//     field node:   string field name, integer operator (0..5), boolean is null,
//                   integer field type, and unless null the value: an integer for
//                   types 1, 3, 4, 7, 8, 10, 11, a boolean for 2, a float for 5,
//                   6 (the date-time) and 15, a string (the entered text) for 9
//   list end
//
// where each node inside is written by the same steps. A missing child is a
// list holding only false. The literal and compare-with-field flags are not
// kept: a text read back is a pattern again, converted anew. A field of a
// type without values has no value in the stream.
//
// Reading builds the whole tree before it replaces the filter's, so a stream
// that cannot be read (a value of the wrong kind, an operator, mode or node
// shape out of range, nodes nested deeper than kMaxFilterNodeDepth) raises
// EReadError and leaves the filter as it was.

class TKRFilter;
class TReader;
class TWriter;

inline constexpr int kMaxFilterNodeDepth = 1000;

void WriteFilterNodes(TWriter& writer, const TKRFilter& filter);
void ReadFilterNodes(TReader& reader, TKRFilter& filter);
