#pragma once
// The module registry: the framework starts its larger dialogs ("modules") by a program id
// instead of by class. A module is a form class that implements ISyoriKidou; the starter
// hands it name=value parameter lines and runs it.
//
//   RegisterSyoriClass<TDataSentakuBox>("VqDataSenkaku");      // once, at start-up
//   int r = RunSyoriModule("VqDataSenkaku", 1, "SyoriType=3\rJyokenSet=1");
//
// The registry is two parallel lists (program ids, form classes) in registration order; a
// class is listed once, ids may repeat and a lookup finds the first, without regard to case.
// Registration is an explicit call made by the program's start-up (static initialisers in a
// static library may be dropped by the linker).
#include <cstdint>
#include <functional>
#include <string>
#include <typeindex>
#include <vector>

#include "ui/forms/Form.h"

// The module interface. The form implementing it keeps its own lifetime: the interface does
// not own it, and a module form frees itself when it closes unless told otherwise.
class ISyoriKidou {
 public:
  // Shows the module, modal or not; the result goes to the starter unchanged.
  virtual int32_t Execute(bool Modal) = 0;
  // The parameter lines, each "name=value".
  virtual void SetParams(const std::vector<std::string>& Params) = 0;

 protected:
  ~ISyoriKidou() = default;
};

// A registered form class: what tells two classes apart, and how one is made with an owner.
struct TSyoriFormClass {
  std::type_index Type;
  std::function<forms::TForm*(QWidget* owner)> Create;
};

template <class T>
TSyoriFormClass SyoriFormClassOf() {
  return {std::type_index(typeid(T)), [](QWidget* owner) -> forms::TForm* { return forms::CreateForm<T>(owner); }};
}

// Appends the class and the id (same index) unless the class is registered already; then the
// call does nothing and the new id is not added.
void RegisterSyoriClass(const TSyoriFormClass& FormClass, const std::string& ProgramId);
template <class T>
void RegisterSyoriClass(const std::string& ProgramId) {
  RegisterSyoriClass(SyoriFormClassOf<T>(), ProgramId);
}

// The registered ids in registration order.
std::vector<std::string> SyoriIdList();

// A new form of the class registered under the id (first match, case ignored), owned by the
// application; null when the id is not registered.
forms::TForm* CreateSyoriForm(const std::string& ProgramId);

// Runs the module of the id. Mode 1 is modal, any other value modeless. Result: -1 when
// nothing ran (empty id; a start already under way, shown by the hourglass cursor; an id not
// registered or a class without ISyoriKidou, after an error box), else Execute's result.
// ParamText is read as a string list reads a text (CR, LF or CR LF end a line); the lines
// handed to SetParams end with "FormStyle=2" (modal) or "FormStyle=0". The cursor goes
// back to the default in every case. Exceptions of the module pass to the caller; a form
// that SetParams or Execute fails on before it was ever shown is freed first.
// The start-up points the shared hook RunSyoriModuleProc (data/uAccRecordHooks.h) at it.
int32_t RunSyoriModule(const std::string& ProgramId, int32_t Mode, const std::string& ParamText);
