// The program's command vocabulary as data: every command the drawing view registers with the
// hub, in registration order, with its class, the library that holds the class, its display
// name, construction flag and id (menu item, toolbar button and prompt string at once), and
// the one-letter shortcuts of the drawing commands.
#pragma once

#include "platform/win/WinTypes.h"
#include "velmora/commands/CommandIds.h"

#include <span>

class CCommand;

enum class CmdLibrary { Own, Command, Heskel };

struct CmdRow {
  const char* className;
  CmdLibrary library;
  const wchar_t* displayName;
  int flag;
  UINT id;
};

struct CmdShortcut {
  const wchar_t* displayName;
  const wchar_t* key;
};

// Application commands, main commands and shortcuts, in the order they are registered.
std::span<const CmdRow> cmdAppTable();
std::span<const CmdRow> cmdMainTable();
std::span<const CmdShortcut> cmdShortcutTable();

// A new command for a row, owned by the caller: built by the library the row names; null when
// that library has no such class in this build or memory runs out.
CCommand* cmdCreateForRow(const CmdRow& row);
// The program's own classes by name: this library's, then those of the program's shell
// (null for a class neither has).
CCommand* cmdCreateOwnCommand(const char* className, int flag, const wchar_t* name);
// The shell's own commands live above this library; the shell hands in their maker before it
// registers the commands. Null removes it.
using CmdOwnMaker = CCommand* (*)(const char* className, int flag, const wchar_t* name);
void cmdSetShellCommandMaker(CmdOwnMaker maker);

// Registers every application command with the hub (looked up afresh for each through
// gGetOrdvale), then gives the drawing commands their shortcuts. A row whose command cannot be
// made is skipped; so is a row whose id the hub already has (a second view on the same hub).
void cmdRegisterAppCommands();
// Registers the main commands and makes the selection tool current.
void cmdRegisterMainCommands();
