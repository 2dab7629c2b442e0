/*
 * Server-side file routines of the system database (qvaccdef.fdb).
 *
 * In client/server mode the data folders are folders of the database server;
 * the program asks the server, through these routines, whether a file or
 * folder exists, to copy or delete a file, to create or remove a folder, and
 * for the short form of a path. They are implemented in the UDR module
 * "rendoudr" (librendoudr.so in the server's UDR folder), which must be in
 * place before this script runs. Run after system.sql.
 *
 * Paths are texts of the server's file system; the module receives them as
 * UTF-8 whatever the connection's character set. It acts only inside the
 * folders rendoudr.conf (beside the module) names, and answers 0 otherwise.
 */

SET TERM ^ ;

/* MODE "FEXIST", "FCOPY" (FILEPATH1 to FILEPATH2) or "FDEL"; WBOOL 1 = done / true. */
CREATE PROCEDURE FILEOPERATION (
  MODE       VARCHAR(10) CHARACTER SET ASCII,
  FILEPATH1  VARCHAR(260),
  FILEPATH2  VARCHAR(260))
RETURNS (
  WBOOL      INTEGER)
EXTERNAL NAME 'rendoudr!fileoperation'
ENGINE UDR^

/* MODE "DEXIST", "MKDIR" or "RMDIR"; WBOOL 1 = done / true. */
CREATE PROCEDURE DIRECTORYTEST (
  MODE       VARCHAR(10) CHARACTER SET ASCII,
  FILEPATH1  VARCHAR(260))
RETURNS (
  WBOOL      INTEGER)
EXTERNAL NAME 'rendoudr!directorytest'
ENGINE UDR^

/* The short form of a path on the server (here the path itself). */
CREATE PROCEDURE LONGTOSHORTFILENAME (
  LONGNAME   VARCHAR(260))
RETURNS (
  SHORTNAME  VARCHAR(260))
EXTERNAL NAME 'rendoudr!longtoshortfilename'
ENGINE UDR^

SET TERM ; ^

COMMIT;
