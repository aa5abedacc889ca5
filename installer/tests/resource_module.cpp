// A payload module carries only resources; the tests load it as a data file.
