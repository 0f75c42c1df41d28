#pragma once
// The words of one batch line. Words are separated by blanks; a '#' outside
// quotes starts a comment up to the end of the line; a word in double quotes
// may hold blanks and '#', and \" inside it stands for a quote. Other
// backslashes are kept as they are (node paths give them a meaning).

#include <string>
#include <string_view>
#include <vector>

#include "platform/text/Exception.h"

KR_DECLARE_EXCEPTION(EBatchError, Exception);

// Raises EBatchError for a quote that is not closed.
std::vector<std::string> SplitBatchLine(std::string_view line);

// A node path: names below the static node, joined by '/'; "\/" stands for
// a '/' inside a name and "\\" for a backslash. "" and "/" name the static
// node itself (no names). Raises EBatchError for an empty name ("a//b").
std::vector<std::string> SplitNodePath(std::string_view path);
