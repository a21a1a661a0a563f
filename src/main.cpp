// Process entry; filled in by the shell.
int main() {
  return 0;
}
