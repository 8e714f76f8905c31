// Built as decoy.dll together with the fake host's functions: a library in
// the host's process that exports the host's names.
