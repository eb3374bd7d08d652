// The shell's own commands (paste, import, export) for the command table, which registers them
// with the others once the shell hands this maker in (cmdSetShellCommandMaker).
#pragma once

class CCommand;

// A new command of the shell's class of that name (owned by the caller); null for another name.
CCommand* shellMakeCommand(const char* className, int flag, const wchar_t* name);
