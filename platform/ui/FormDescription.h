#pragma once
// A readable description of a form for failure reports and logs: the caption
// and, indented by containment, every control with its name, class and
// state, e.g.
//   form 'Add Server...' (TForm)
//     ServerPanel: TPanel
//       NameEdit: TEdit text 'x' focused
//     OKBtn: TButton 'OK' default modal result 1 disabled

#include <string>

class TForm;

std::string DescribeForm(const TForm& form);
// Quotes `text` in single quotes, doubling the single quotes inside.
std::string Quoted(const std::string& text);
