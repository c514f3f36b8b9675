#pragma once
// The WordSession: a late-bound reference to the running Word's WordBasic
// object, and the WordBasic commands sent over it.
#include <windows.h>
#include <oaidl.h>

#include <memory>

#include "word/win32/com_util.h"
#include "word/word_basic.h"
#include "word/word_probe.h"

namespace qc::word {

class DispatchWordBasic final : public WordBasic {
 public:
  explicit DispatchWordBasic(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  // Looks the command and its argument names up in one call, passes the
  // arguments in reverse order with the named ones first, and turns a failure
  // (Word's own error text when it gives one) into a WordError.
  WordResult Call(const std::string& command, const WordArgs& args, ResultKind result) override;

 private:
  ComPtr<IDispatch> dispatch_;
};

// Generation 1 creates the object from "Word.Basic"; generation 2 attaches to
// the running one, and when none is registered (Word 97 and later), to the
// WordBasic property of the running "Word.Application". A minimised Word is
// restored (AppRestore). Throws WordError.
std::unique_ptr<WordBasic> ConnectWord(WordGeneration generation);

// The version that the running "Word.Application" gives as its Version
// property ("16.0" for Word 2016 and later); empty text when no such object
// answers, as with Word 95 and older.
std::string RunningApplicationVersion();

}  // namespace qc::word
