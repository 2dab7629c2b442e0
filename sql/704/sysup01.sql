/* Nothing of the system database changes with this step. */
COMMIT;
