/* Nothing more is needed here by this program's data form; the file keeps the list of the step complete. */
