#pragma once
// How the export and import report their progress: the wizard moves its
// progress bar, qcard and the tests count or ignore the calls.
namespace qc {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Called once before the first item with the number of items.
  virtual void SetProgressMax(int count) = 0;
  // Called before item `position` (0-based) is processed; never with the count itself.
  virtual void SetProgressPosition(int position) = 0;
};

class NoProgress : public ProgressSink {
 public:
  void SetProgressMax(int) override {}
  void SetProgressPosition(int) override {}
};

}  // namespace qc
