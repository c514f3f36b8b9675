#pragma once
// The stand-in's automation objects: "Word.Basic" (the WordBasic commands
// through IDispatch) and, for the later generation, "Word.Application" with
// its WordBasic property; their registration for the current user, in the
// running-object table and as a local server.
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

#include "wordbasic.h"

namespace standin {

// The class identifiers of the stand-in's own objects.
extern const CLSID kWordBasicClsid;
extern const CLSID kApplicationClsid;

// How a build presents itself; chosen when the executable is built.
struct Flavour {
  const char* version;          // the product version, also in the version resource
  bool runningObject;           // "Word.Basic" in the running-object table
  bool localServer;             // "Word.Basic" as a local server, created by CoCreateInstance
  bool applicationOnly;         // only "Word.Application", with the WordBasic property
};

class Automation {
 public:
  Automation(WordApp& app, const Flavour& flavour, std::function<void()> changed);
  ~Automation();
  Automation(const Automation&) = delete;
  Automation& operator=(const Automation&) = delete;

  // Registers the ProgIDs and classes for the current user (unless they
  // are installed) and makes the objects reachable; Revoke undoes what this
  // process registered.
  void Register();
  void Revoke();

  // A registration that outlives the process (/RegServer), so that COM can
  // start the stand-in; and its removal (/UnregServer).
  static void Install(const Flavour& flavour);
  static void Uninstall(const Flavour& flavour);

 private:
  class BasicObject;
  class ApplicationObject;
  class Factory;
  BasicObject* basic_;
  ApplicationObject* application_;
  Factory* factory_;
  const Flavour& flavour_;
  DWORD rotCookie_ = 0;
  DWORD classCookie_ = 0;
  std::string owner_;  // this process's id, when it made the registration
};

}  // namespace standin
