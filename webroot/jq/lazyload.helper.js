/*!
 * lazyload.helper.js: helpers of the file loader (lazyload.js).
 *
 * ZQFilterLoadedFiles(list, css) returns the addresses of the list that the
 * page has not linked yet. The client runtime (zq.runtime.js) defines it for
 * every page of the host; this file only supplies it for a page that runs
 * without the runtime.
 */
(function (window, document) {
  'use strict';
  if (window.ZQFilterLoadedFiles) return;
  window.ZQFilterLoadedFiles = function (list, css) {
    var selector = css ? 'link[href]' : 'script[src]';
    var attr = css ? 'href' : 'src';
    var loaded = {};
    Array.prototype.forEach.call(document.querySelectorAll(selector), function (el) {
      loaded[el.getAttribute(attr)] = true;
    });
    return [].concat(list || []).filter(function (url) { return !loaded[url]; });
  };
})(window, document);
