// A small program with a version resource of its own: the unsigned file the
// details tests examine, and the file their fixtures sign. It is never run.

int main() { return 0; }
