#pragma once
// Kinds of the message dialog and the texts that depend on them, shared by every front-end.
#include <string>

class Component;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The window caption of a dialog kind; an error whose button list has a ";" at its second or a
// later position is a question.
std::string DialogCaption(TMsgDlgType kind, const std::string& buttons);
// The kind ShowMsg uses for a button list.
TMsgDlgType MessageKind(const std::string& buttons);
// The text ShowErrMsg shows: the message and, for a sender, the line
// CR LF "( owner.name - date time )".
std::string ErrorText(const Component* sender, const std::string& message);
