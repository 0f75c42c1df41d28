// A tiny shared library for the loader tests.
extern "C" {
int KrTestValue = 41;
int KrTestAdd(int a, int b) { return a + b; }
}
