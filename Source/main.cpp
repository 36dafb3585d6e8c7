// Desktop entry point; replaced by the application shell once it exists.
int main() { return 0; }
