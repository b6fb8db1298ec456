// A reporter for node's test runner that writes what GoogleTest's --gtest_output=xml writes on its
// first lines (<testsuites tests= failures= errors= disabled=>, then one <testcase> per test), so
// that the test command counts this suite with the others.
export default async function* results(source) {
  const cases = [];
  for await (const event of source) {
    if ((event.type === 'test:pass' || event.type === 'test:fail') && event.data.nesting === 0 && !event.data.details?.type)
      cases.push({ name: event.data.name, failed: event.type === 'test:fail', seconds: (event.data.details?.duration_ms || 0) / 1000,
        error: event.type === 'test:fail' ? String(event.data.details?.error?.cause?.message || event.data.details?.error?.message || '') : '' });
  }
  const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
  const failures = cases.filter((c) => c.failed).length;
  yield '<?xml version="1.0" encoding="UTF-8"?>\n';
  yield `<testsuites tests="${cases.length}" failures="${failures}" disabled="0" errors="0" name="AllTests">\n`;
  yield `  <testsuite name="web" tests="${cases.length}" failures="${failures}" disabled="0" errors="0">\n`;
  for (const c of cases) {
    yield `    <testcase name="${escape(c.name)}" time="${c.seconds.toFixed(3)}" classname="web">`;
    yield c.failed ? `\n      <failure message="${escape(c.error)}"/>\n    </testcase>\n` : '</testcase>\n';
  }
  yield '  </testsuite>\n</testsuites>\n';
}
