/* Budgets are kept in whole yen: F_ROUND rounds an amount to the yen, halves away from zero. */
SET TERM ^ ;
EXECUTE BLOCK AS
BEGIN
  IF (NOT EXISTS(SELECT 1 FROM RDB$FUNCTIONS WHERE RDB$FUNCTION_NAME='F_ROUND')) THEN
    EXECUTE STATEMENT
      'CREATE FUNCTION F_ROUND (VAL NUMERIC(18,4)) RETURNS NUMERIC(18,4)
      AS
      BEGIN
        RETURN ROUND(VAL, 0);
      END';
END^
SET TERM ; ^
COMMIT;
