// Nothing of its own: the target that holds this file compiles the tests'
// precompiled Qt headers, which the test executables then reuse.
