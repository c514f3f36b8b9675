#pragma once
// The stand-in's document, kept as Word keeps its text: one run of 8-bit
// characters in which "\r" ends a paragraph (the last one is the document's
// final paragraph mark, which cannot be removed), "\v" is a manual line break
// and "\t" a tab. A table row is a paragraph whose cells each end with "\a".
// Positions count characters from 0; the insertion point and the selection
// never pass the final paragraph mark.
#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin {

constexpr char kParagraphMark = '\r';
constexpr char kLineBreak = '\v';
constexpr char kCellMark = '\a';

// An error as Word reports it: a number and the text the user would see.
class WordError : public std::runtime_error {
 public:
  WordError(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
  int Number() const { return number_; }

 private:
  int number_;
};

// Word's own limit for find and replace texts.
constexpr size_t kMaxFindReplaceLength = 255;

// A find text with its "^" codes read.
struct FindItem {
  enum Kind { Char, AnyChar, AnyDigit, AnyLetter, WhiteSpace } kind = Char;
  char ch = 0;
};
std::vector<FindItem> ParseFindText(const std::string& text);

// A replace text with its "^" codes read.
struct ReplaceItem {
  enum Kind { Text, FoundText, Clipboard } kind = Text;
  std::string text;
};
std::vector<ReplaceItem> ParseReplaceText(const std::string& text);

// Letter case as Word compares it without regard to case (code page 1252).
char FoldCase(char c);
char RaiseCase(char c);
bool IsLetter(char c);

// The replacement as Word writes it when it finds without regard to case:
// found text in capitals only (two letters or more) gives the replacement in
// capitals; found text whose first letter is a capital gives the
// replacement's first letter as a capital; otherwise it stays as written.
std::string AdaptCase(std::string replacement, const std::string& found);

// Paragraphs and tables as a reader sees them.
struct Block {
  bool table = false;
  std::string paragraph;                       // when not a table
  std::vector<std::vector<std::string>> rows;  // when a table
};

struct ReplaceOptions {
  bool matchCase = false;
  bool wholeWord = false;
  bool replaceOne = false;
  bool replaceAll = false;
  bool wrap = false;
};

class Document {
 public:
  // `text` as read from a file: line ends become paragraph marks.
  explicit Document(std::string name, const std::string& text = {});

  const std::string& Name() const { return name_; }
  const std::string& Text() const { return text_; }
  size_t SelectionStart() const { return std::min(anchor_, active_); }
  size_t SelectionEnd() const { return std::max(anchor_, active_); }
  // The last place the insertion point can take: before the final mark.
  size_t End() const { return text_.size() - 1; }

  void GoToStart(bool extend);
  void GoToEnd(bool extend);
  // Replaces the selection with the text and puts the insertion point behind it.
  void Insert(const std::string& text);

  // Finds and replaces as Word's replace does; returns how many were replaced.
  int Replace(const std::vector<FindItem>& find, const std::vector<ReplaceItem>& replace,
              const std::string& clipboard, const ReplaceOptions& options);

  // The paragraphs that the selection touches become a table, each divided
  // into cells at `separator` (0: one cell per paragraph).
  void TextToTable(char separator);

  std::vector<Block> Blocks() const;

 private:
  bool Protected(size_t i) const;  // a cell mark, or the mark that ends a row
  bool InTableRow(size_t pos) const;
  size_t ParagraphStart(size_t pos) const;
  size_t ParagraphEnd(size_t pos) const;  // index of the paragraph's mark
  bool MatchAt(size_t pos, const std::vector<FindItem>& find, bool matchCase, size_t limit,
               size_t& end) const;
  bool WholeWordAt(size_t start, size_t end) const;
  std::string Replacement(const std::vector<ReplaceItem>& replace, const std::string& found,
                          const std::string& clipboard, bool inRow, bool matchCase) const;
  bool FindNext(const std::vector<FindItem>& find, const ReplaceOptions& options, size_t from,
                size_t& start, size_t& end) const;

  std::string name_;
  std::string text_;
  size_t anchor_ = 0, active_ = 0;
};

// Line ends of any kind become paragraph marks; cell marks are dropped.
std::string NormaliseInsertedText(const std::string& text);

}  // namespace standin
