// Another program that uses Firebird with a configuration of its own: attaches a database from
// the Firebird root it is given, starts a transaction, says "held" on standard output and keeps
// both until its standard input closes. Tests start it to hold a database the way a program
// outside this installation does (the installed Super mode opens the file exclusively).
//
//   db_hold ROOT DATABASE
//
// It uses the client library directly, not the program's database layer, whose preparation
// would put it into the program's own engine configuration.
#include <firebird/Interface.h>
#include <ibase.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s ROOT DATABASE\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  setenv("FIREBIRD", root.c_str(), 1);
  setenv("FIREBIRD_LOCK", (root + "/lock").c_str(), 1);
  std::setlocale(LC_CTYPE, "C.UTF-8");  // the file name may be Japanese

  Firebird::IMaster* master = Firebird::fb_get_master_interface();
  Firebird::IStatus* status = master->getStatus();
  Firebird::ThrowStatusWrapper st(status);
  try {
    Firebird::IXpbBuilder* dpb = master->getUtilInterface()->getXpbBuilder(&st, Firebird::IXpbBuilder::DPB, nullptr, 0);
    dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
    Firebird::IProvider* provider = master->getDispatcher();
    Firebird::IAttachment* att =
        provider->attachDatabase(&st, argv[2], dpb->getBufferLength(&st), dpb->getBuffer(&st));
    Firebird::ITransaction* tra = att->startTransaction(&st, 0, nullptr);
    std::printf("held\n");
    std::fflush(stdout);
    char buf[64];
    while (read(0, buf, sizeof buf) > 0) {
    }
    tra->rollback(&st);
    att->detach(&st);
    provider->release();
    dpb->dispose();
  } catch (const Firebird::FbException& e) {
    char text[1024];
    master->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
    std::fprintf(stderr, "db_hold: %s\n", text);
    status->dispose();
    return 1;
  }
  status->dispose();
  return 0;
}
