/*
 * Server-side transfer routines of the file-manager database (qvfileman.fdb).
 *
 * SP_FILETOBLOB reads a file of the server into a blob; SP_BLOBTOFILE writes
 * a blob out to a file of the server and returns a number greater than 0 on
 * success. They are implemented in the UDR module "rendoudr"
 * (librendoudr.so in the server's UDR folder), which must be in place before
 * this script runs. Run after fileman.sql. Like the file routines, they act
 * only inside the folders rendoudr.conf (beside the module) names.
 */

SET TERM ^ ;

CREATE FUNCTION SP_FILETOBLOB (
  FILEPATH  VARCHAR(260))
RETURNS BLOB SUB_TYPE 0
EXTERNAL NAME 'rendoudr!sp_filetoblob'
ENGINE UDR^

CREATE FUNCTION SP_BLOBTOFILE (
  FILEPATH  VARCHAR(260),
  CONTENT   BLOB SUB_TYPE 0)
RETURNS INTEGER
EXTERNAL NAME 'rendoudr!sp_blobtofile'
ENGINE UDR^

SET TERM ; ^

COMMIT;
