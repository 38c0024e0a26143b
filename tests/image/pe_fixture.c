/* A small image for the image writer's tests, linked unstripped and with a build id so that it
   carries what the stub lacks: a COFF symbol table and a debug directory, both of which must move
   with the sections. It runs: its exit code is 1 + 'i'. */
const char kText[] = "image writer fixture";
int counter = 1;
int Start(void) { return counter + kText[0]; }
