#pragma once
// How tests and demonstrations drive a running Word stand-in: a WM_COPYDATA
// message to its "OpusApp" window. The message's data is text, lines divided
// by "\n": the verb, the path of a file for the reply (empty when no reply is
// wanted), then the verb's arguments. SendMessage returns 1 when the request
// was carried out, 0 when not; the reply file is complete by then.
//
// Verbs:
//   open PATH          opens a text file (code page 1252) as the active document;
//                      its line ends become paragraph marks
//   text               replies the active document's text: "\r" ends a paragraph,
//                      "\v" is a line break, "\a" ends a table cell (a paragraph
//                      ending in "\a" is a table row); 0 when no document is open
//   log                replies the commands received, one per line, as
//                      [!]Name arg arg ...  ("!" when the command failed; named
//                      arguments as Name:=value; texts in double quotes with
//                      C-style escapes, "&" in front when passed by reference)
//   clear-log          forgets the commands received so far
//   fail NAME [N]      the Nth call of the command NAME from now on (1: the next)
//                      fails with Word's "Command failed"
//   close-all          closes every document
//   state              replies "key=value" lines: version, visible, minimised, documents, active
//   toolbars           replies a line per button, TOOLBAR\tPOSITION\tMACRO\tIMAGE:
//                      IMAGE is empty without a pasted picture, else "WxH:" and six
//                      hex digits RRGGBB per pixel, row by row from the top; a
//                      toolbar without buttons gives TOOLBAR\t0\t\t
//   keys               replies a line per key assignment, CODE\tMACRO, in Word's order
//   remove-toolbars    Word has no toolbars at all from now on
//   click TOOLBAR N    as a click on the Nth button of the toolbar; 0 when there is none
//   press CODE         as pressing the key combination with this Word key code
//                      (virtual key + 256 Shift + 512 Ctrl + 1024 Alt) in the window
//   templates          replies "startup=FOLDER", then a line per template loaded at start
//   macros             replies a line per macro run, NAME\tRESULT, where RESULT is
//                      "started PID", "not found" or "failed: reason"
//   quit               ends the stand-in
#include <windows.h>

namespace standin::protocol {

constexpr ULONG_PTR kCopyDataId = 0x51435354;

}  // namespace standin::protocol
