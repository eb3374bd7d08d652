// Making the Command library's commands by class name, for registration tables kept as data.
#pragma once

#include <new>
#include <span>

class CCommand;

// Constructs a command class with (flag, display name); null when memory runs out.
template <class T>
CCommand* cmdMake(int flag, const wchar_t* name) {
  return new (std::nothrow) T(flag, name);
}

// A new command of the named class constructed with (flag, display name), owned by the
// caller; null for a class this library does not have.
CCommand* cmdCreateCommand(const char* className, int flag, const wchar_t* name);

// One class a library can make by name.
struct CmdMaker {
  const char* className;
  CCommand* (*make)(int flag, const wchar_t* name);
};
// The command of the named class from the list; null for a name not in it.
CCommand* cmdMakeByName(std::span<const CmdMaker> makers, const char* className, int flag, const wchar_t* name);
