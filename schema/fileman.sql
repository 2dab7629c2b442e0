/*
 * File-manager database (qvfileman.fdb).
 *
 * Lives beside the system database on the database server. When the data
 * sets are on a server, a backup made there is carried to this computer,
 * and a backup file of this computer is carried to the server, as one row
 * of FILETRANS: the server-side routines of fileman_udr.sql read a server
 * file into the row's blob, or write the blob out to a server file.
 *
 * Run after CREATE DATABASE ... DEFAULT CHARACTER SET SJIS_0208.
 */

/* One transfer per logon: CONTENT_ID is "QVZ_" followed by the logon id. */
CREATE TABLE FILETRANS (
  CONTENT_ID  VARCHAR(32) NOT NULL,
  CONTENT     BLOB SUB_TYPE 0,
  CONSTRAINT PK_FILETRANS PRIMARY KEY (CONTENT_ID)
);

COMMIT;
